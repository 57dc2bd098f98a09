#include "parameterlookup.h"

#include <public.sdk/source/common/commonstringconvert.h>

#include <cmath>

#include "host/pluginhost/parametertext.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::string utf8(const TChar* text)
{
    return StringConvert::convert(std::u16string(text));
}

} // namespace

ParameterSetting ResolveSetting(IEditController& controller, const ParameterText& setting)
{
    ParameterSetting resolved;
    ParameterInfo info{};
    bool found = false;
    const int32 count = controller.getParameterCount();
    for (int32 i = 0; i < count && !found; ++i) {
        found = controller.getParameterInfo(i, info) == kResultOk &&
                NamesParameter(setting.id, info.id, utf8(info.title));
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
        if (!PlainNumber(setting.value, plain))
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
    resolved.value = normalized;
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
    return ValueLine(info.id, utf8(info.title), utf8(shown), normalized);
}
