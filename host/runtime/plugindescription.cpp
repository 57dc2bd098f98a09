#include "plugindescription.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/runtime/values/parametervalue.h"
#include "hosterrors.h"

namespace {

using namespace HuxKeys;

// Keeps the one message the plug-in hands over.
struct CapturingSink final : MessageSink {
    void exchange(const Missive& message) override { captured = message; }
    Missive captured;
};

[[noreturn]] void malformed(const std::string& what)
{
    throw PluginContractError("the plug-in's description is malformed: " + what);
}

// The one nested message a record holds.
MissiveSpan nestedMessage(const MissiveRecordView& record, const std::string& what)
{
    const std::vector<MissiveSpan> nested = readMissives(record.cursor);
    if (nested.size() != 1)
        malformed(what + " is not a record");
    return nested.front();
}

double requiredNumber(const Missive& record, const MissiveKey& key, const std::string& code)
{
    const MissiveCursor cursor = record.find(key);
    const double value = read<double>(cursor);
    if (!cursor.found() || !std::isfinite(value))
        malformed("parameter " + code + " lacks a finite " + key.name);
    return value;
}

void readList(ParameterInfo& info, const Missive& record)
{
    info.options = readArray<std::string>(record.find(kOptions));
    if (info.options.empty())
        malformed("list parameter " + info.code + " has no options");
    info.minValue = 0.0;
    info.maxValue = static_cast<double>(info.options.size() - 1);
    const MissiveCursor defaultOption = record.find(kDefaultOption);
    if (!defaultOption.found())
        return;
    const std::string wanted = read<std::string>(defaultOption);
    for (std::size_t i = 0; i < info.options.size(); ++i) {
        const std::vector<std::string_view> forms = OptionForms(info.options[i]);
        if (info.options[i] == wanted ||
            std::find(forms.begin(), forms.end(), wanted) != forms.end()) {
            info.defaultValue = static_cast<double>(i);
            return;
        }
    }
    malformed("parameter " + info.code + " defaults to \"" + wanted +
              "\", which is not one of its options");
}

void readNumeric(ParameterInfo& info, const Missive& record)
{
    info.minValue = requiredNumber(record, kMinValue, info.code);
    info.maxValue = requiredNumber(record, kMaxValue, info.code);
    info.defaultValue = requiredNumber(record, kDefaultValue, info.code);
    if (!(info.minValue <= info.defaultValue && info.defaultValue <= info.maxValue))
        malformed("parameter " + info.code + " has its default outside its range");
}

ParameterInfo readParameter(const MissiveRecordView& record)
{
    ParameterInfo info;
    if (record.cursor.keyType != MissiveKeyType::kString)
        malformed("a parameter is not keyed by its identifier");
    info.code = std::string(MissiveText(record.keyStart, record.keyEnd));
    if (info.code.size() != 4)
        malformed("parameter identifier \"" + info.code + "\" is not four characters");
    info.identifier = FourCharacterCode(info.code);

    Missive fields;
    const MissiveSpan nested = nestedMessage(record, "parameter " + info.code);
    fields.assign(nested.data, nested.size);
    info.labels = readArray<std::string>(fields.find(kLabels));
    const std::optional<std::int64_t> type = ReadEnumValue(fields.find(kType));
    if (type == static_cast<std::int64_t>(c_hux::parameterType::list)) {
        info.kind = ParameterKind::list;
        readList(info, fields);
    } else if (type == static_cast<std::int64_t>(c_hux::parameterType::continuous)) {
        readNumeric(info, fields);
    } else {
        malformed("parameter " + info.code + " has no known type");
    }
    if (const MissiveCursor units = fields.find(kUnits); units.found())
        info.units = read<std::string>(units);
    if (const MissiveCursor automate = fields.find(kAutomate); automate.found())
        info.automate = read<bool>(automate);
    return info;
}

MeterInfo readMeter(const MissiveRecordView& record)
{
    MeterInfo meter;
    if (record.cursor.keyType != MissiveKeyType::kNumber)
        malformed("a meter is not keyed by its position");
    std::memcpy(&meter.position, record.keyStart, sizeof meter.position);
    Missive fields;
    const MissiveSpan nested = nestedMessage(record, "meter " + std::to_string(meter.position));
    fields.assign(nested.data, nested.size);
    meter.label = read<std::string>(fields.find(kLabel));
    meter.type = ReadEnumValue(fields.find(kMeterType)).value_or(-1);
    return meter;
}

// The nested message under key, empty when there is none.
Missive nestedUnder(const Missive& message, const MissiveKey& key)
{
    Missive nested;
    const MissiveCursor cursor = message.find(key);
    if (!cursor.found())
        return nested;
    const std::vector<MissiveSpan> spans = readMissives(cursor);
    if (spans.size() != 1)
        malformed(std::string("\"") + key.name + "\" is not a record");
    nested.assign(spans.front().data, spans.front().size);
    return nested;
}

ParameterInfo hostBypass()
{
    ParameterInfo bypass;
    bypass.code = kHostBypassCode;
    bypass.identifier = FourCharacterCode(kHostBypassCode);
    bypass.labels = {"Bypass"};
    bypass.minValue = 0.0;
    bypass.maxValue = 1.0;
    bypass.defaultValue = 0.0;
    bypass.hostBypass = true;
    return bypass;
}

} // namespace

std::uint32_t FourCharacterCode(std::string_view code)
{
    std::uint32_t value = 0;
    for (const char c : code)
        value = value << 8 | static_cast<unsigned char>(c);
    return value;
}

std::optional<std::size_t> PluginDescription::find(std::string_view code) const
{
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (parameters[i].code == code)
            return i;
    return std::nullopt;
}

PluginDescription ExchangeDescriptions(IIHux::Plugin& plugin)
{
    // The plug-in's own failures keep their message; only what it hands over
    // is read as a description.
    PluginDescription description;
    CapturingSink descriptorSink;
    RunPluginOperation("the descriptor exchange",
                       [&] { return plugin.exchangeDescriptor(descriptorSink); });
    description.descriptor = descriptorSink.captured;
    CapturingSink parameterSink;
    std::uint32_t channelCount = 1;
    RunPluginOperation("the parameter exchange",
                       [&] { return plugin.exchangeParameters(parameterSink, channelCount); });
    description.parametersAndMeters = parameterSink.captured;

    try {
        if (const MissiveCursor names = description.descriptor.find(kPluginName); names.found())
            if (const std::vector<std::string> all = readArray<std::string>(names); !all.empty())
                description.name = all.front();
        if (const MissiveCursor developer = description.descriptor.find(kDeveloper);
            developer.found())
            description.developer = read<std::string>(developer);
        if (const MissiveCursor enable = description.descriptor.find(kEnableBypass); enable.found())
            description.enableBypass = read<bool>(enable);
        const Missive parameters = nestedUnder(description.parametersAndMeters, kParameters);
        for (const MissiveRecordView& record : MissiveRecordsInOrder(parameters.span())) {
            ParameterInfo info = readParameter(record);
            if (description.find(info.code))
                malformed("parameter " + info.code + " is described twice");
            description.parameters.push_back(std::move(info));
        }
        const Missive meters = nestedUnder(description.parametersAndMeters, kMeters);
        for (const MissiveRecordView& record : MissiveRecordsInOrder(meters.span()))
            description.meters.push_back(readMeter(record));
    } catch (const KtException& failure) {
        // The reader's own raise: the message ran out early.
        malformed(FailureText(failure));
    }
    if (description.enableBypass && !description.find(kHostBypassCode))
        description.parameters.push_back(hostBypass());
    return description;
}

PluginDescription DescribeLibrary(PluginLibrary& library)
{
    HuxObject<IIHux::Plugin> plugin(library, "IIHux::Plugin");
    return ExchangeDescriptions(*plugin);
}
