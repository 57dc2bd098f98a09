// tapedelay describe: what the plug-in says about itself, as a table, or its
// own dump of the two messages.
#include <cstdio>
#include <iostream>

#include "commandline.h"
#include "commands.h"
#include "host/cli/report/jsonwriter.h"
#include "host/product/dump.h"
#include "host/runtime/values/parametervalue.h"
#include "messagetext.h"

namespace {

constexpr const char* kUsage = R"(usage: tapedelay describe [--json | --dump] [--plugin PATH]

Prints the plug-in's descriptor, its parameters (host index, identifier,
name, range or options, default) and its meters, as the plug-in describes
them.

  --json         the same as JSON: the descriptor's entries as text, each
                 parameter's index, identifier, names, kind, range or
                 options, default, unit and whether it can be set, and the
                 meters
  --dump         print instead the plug-in's own diagnostic dump of the
                 descriptor message and of the parameter and meter message
  --plugin PATH  the plug-in library (default: beside this program, or
                 $TAPEDELAY_PLUGIN)
  --help         this text
)";

std::string rangeText(const ParameterInfo& parameter)
{
    if (parameter.kind == ParameterKind::list) {
        std::string options;
        for (const std::string& option : parameter.options)
            options += (options.empty() ? "" : " | ") + option;
        return options;
    }
    std::string text = FormatNumber(parameter.minValue) + " to " + FormatNumber(parameter.maxValue);
    if (!parameter.units.empty())
        text += " " + parameter.units;
    return text;
}

std::string notes(const ParameterInfo& parameter)
{
    if (parameter.hostBypass)
        return "  (the host's bypass)";
    if (!parameter.automate)
        return "  (shown by the plug-in, not automated)";
    return "";
}

const char* meterType(const MeterInfo& meter)
{
    return meter.type == static_cast<std::int64_t>(c_hux::meterType::input)    ? "input"
           : meter.type == static_cast<std::int64_t>(c_hux::meterType::output) ? "output"
                                                                               : "other";
}

void printTable(const PluginDescription& description)
{
    std::printf("Descriptor\n");
    for (const MissiveRecordView& record : MissiveRecordsInOrder(description.descriptor.span()))
        std::printf("  %-20s %s\n", MissiveKeyText(record).c_str(),
                    ValueText(record.cursor).c_str());

    std::printf("\nParameters\n  %-5s %-4s  %-20s %-52s %s\n", "index", "id", "name",
                "range or options", "default");
    for (std::size_t i = 0; i < description.parameters.size(); ++i) {
        const ParameterInfo& parameter = description.parameters[i];
        std::printf("  %5zu %-4s  %-20s %-52s %s%s\n", i, parameter.code.c_str(),
                    parameter.name().c_str(), rangeText(parameter).c_str(),
                    FormatParameterValue(parameter, parameter.defaultValue).c_str(),
                    notes(parameter).c_str());
    }

    std::printf("\nMeters\n  %-5s %-6s %s\n", "entry", "label", "type");
    for (const MeterInfo& meter : description.meters)
        std::printf("  %5u %-6s %s\n", meter.position, meter.label.c_str(), meterType(meter));
}

void parameterJson(JsonWriter& json, std::size_t index, const ParameterInfo& parameter)
{
    json.beginObject();
    json.key("index").value(static_cast<std::uint64_t>(index));
    json.key("id").value(parameter.code);
    json.key("names").beginArray();
    for (const std::string& label : parameter.labels)
        json.value(label);
    json.endArray();
    if (parameter.kind == ParameterKind::list) {
        json.key("kind").value("list");
        json.key("options").beginArray();
        for (const std::string& option : parameter.options) {
            json.beginArray();
            for (const std::string_view form : OptionForms(option))
                json.value(form);
            json.endArray();
        }
        json.endArray();
    } else {
        json.key("kind").value("numeric");
        json.key("min").value(parameter.minValue);
        json.key("max").value(parameter.maxValue);
    }
    json.key("default").value(parameter.defaultValue);
    json.key("defaultText").value(ParameterValueText(parameter, parameter.defaultValue));
    json.key("unit").value(parameter.units);
    json.key("settable").value(parameter.automate);
    json.key("hostBypass").value(parameter.hostBypass);
    json.endObject();
}

void printJson(const PluginDescription& description)
{
    JsonWriter json;
    json.beginObject();
    json.key("descriptor").beginObject();
    for (const MissiveRecordView& record : MissiveRecordsInOrder(description.descriptor.span()))
        json.key(MissiveKeyText(record)).value(ValueText(record.cursor));
    json.endObject();
    json.key("parameters").beginArray();
    for (std::size_t i = 0; i < description.parameters.size(); ++i)
        parameterJson(json, i, description.parameters[i]);
    json.endArray();
    json.key("meters").beginArray();
    for (const MeterInfo& meter : description.meters) {
        json.beginObject();
        json.key("entry").value(static_cast<std::uint64_t>(meter.position));
        json.key("label").value(meter.label);
        json.key("type").value(meterType(meter));
        json.endObject();
    }
    json.endArray();
    json.endObject();
    std::fputs(json.text().c_str(), stdout);
}

} // namespace

std::string DescribeUsage()
{
    return kUsage;
}

int DescribeCommand(const CommandLine& line)
{

    PluginLibrary library(PluginPath(line));
    HuxObject<IIHux::Plugin> plugin(library, "IIHux::Plugin");
    const PluginDescription description = ExchangeDescriptions(*plugin);
    if (line.has("dump") && line.has("json"))
        throw UsageError("describe takes --json or --dump, not both");
    if (line.has("json")) {
        printJson(description);
        return kExitSuccess;
    }
    if (!line.has("dump")) {
        printTable(description);
        return kExitSuccess;
    }
    if (!OffersDump(description, kTapeDelayDump))
        throw UsageError("--dump: this plug-in offers no diagnostic dump");
    std::cout.flush();
    DumpThroughPlugin(*plugin, kTapeDelayDump, description.descriptor);
    DumpThroughPlugin(*plugin, kTapeDelayDump, description.parametersAndMeters);
    return kExitSuccess;
}
