#include "parameterlookup.h"

#include <public.sdk/source/common/commonstringconvert.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "hosterrors.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string utf8(const TChar* text)
{
    return StringConvert::convert(std::u16string(text));
}

bool plainNumber(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    return !text.empty() && end == begin + text.size() && std::isfinite(value);
}

} // namespace

std::string ParameterIdText(ParamID id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(id >> shift);
        if (!std::isprint(c))
            return std::to_string(id);
        text += static_cast<char>(c);
    }
    return text;
}

ResolvedSetting ResolveSetting(IEditController& controller, const ParameterText& setting)
{
    const std::string wanted = lower(setting.id);
    ResolvedSetting resolved;
    ParameterInfo info{};
    bool found = false;
    const int32 count = controller.getParameterCount();
    for (int32 i = 0; i < count && !found; ++i) {
        found = controller.getParameterInfo(i, info) == kResultOk &&
                (ParameterIdText(info.id) == setting.id || lower(utf8(info.title)) == wanted);
        if (found)
            resolved = {info.id, i, 0.0};
    }
    if (!found)
        throw HostInputError(setting.given + ": the plug-in has no parameter '" + setting.id + "'");
    if ((info.flags & ParameterInfo::kIsReadOnly) != 0)
        throw HostInputError(setting.given + ": " + setting.id +
                             " is read-only (the plug-in sets it)");

    std::u16string text = StringConvert::convert(setting.value);
    ParamValue normalized = 0.0;
    double plain = 0.0;
    if (controller.getParamValueByString(resolved.id, const_cast<TChar*>(text.data()),
                                         normalized) != kResultOk) {
        if (!plainNumber(setting.value, plain))
            throw HostInputError(setting.given + ": '" + setting.value + "' is not a value of " +
                                 setting.id);
        const double low = controller.normalizedParamToPlain(resolved.id, 0.0);
        const double high = controller.normalizedParamToPlain(resolved.id, 1.0);
        normalized = controller.plainParamToNormalized(resolved.id, plain);
        if (plain < std::fmin(low, high) || plain > std::fmax(low, high))
            throw HostInputError(setting.given + ": " + setting.value + " is outside " +
                                 setting.id + "'s range");
    }
    if (!(normalized >= 0.0 && normalized <= 1.0))
        throw HostInputError(setting.given + ": " + setting.value + " is outside " + setting.id +
                             "'s range");
    resolved.normalized = normalized;
    return resolved;
}

std::string ParameterValueLine(IEditController& controller, int32 index)
{
    ParameterInfo info{};
    if (controller.getParameterInfo(index, info) != kResultOk ||
        (info.flags & ParameterInfo::kIsReadOnly) != 0)
        return {};
    const ParamValue normalized = controller.getParamNormalized(info.id);
    String128 shown{};
    controller.getParamStringByValue(info.id, normalized, shown);
    char number[32];
    std::snprintf(number, sizeof number, "%.17g", normalized);
    return ParameterIdText(info.id) + " " + utf8(info.title) + " = " + utf8(shown) + " (" + number +
           ")";
}
