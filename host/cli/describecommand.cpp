// tapedelay describe: the plug-in's parameters and meters as a user sets and
// reads them, as JSON, or for a developer with the descriptor and the
// plug-in's own dump of its messages.
#include <algorithm>
#include <cstdio>
#include <iostream>

#include "commandline.h"
#include "commands.h"
#include "host/cli/report/jsonwriter.h"
#include "host/product/controlscale.h"
#include "host/product/dump.h"
#include "host/runtime/values/parametervalue.h"
#include "messagetext.h"

namespace {

constexpr const char* kUsage = R"(usage: tapedelay describe [--json | --dump] [--plugin PATH]

Prints the plug-in's parameters (identifier, name, range or options,
default, unit) and its meters, as the plug-in describes them.

  --json         the same as JSON for scripts: the descriptor's entries as
                 text, each parameter's index, identifier, names, kind, range
                 or options, default, unit and whether it can be set, and the
                 meters
  --dump         what a developer needs besides: the descriptor, the
                 parameters' host indices, and the plug-in's own diagnostic
                 dump of the descriptor message and of the parameter and
                 meter message
  --plugin PATH  the plug-in library (default: beside this program, or
                 $TAPEDELAY_PLUGIN)
  --help         this text
)";

using Row = std::vector<std::string>;

// Columns two spaces apart, each as wide as its widest cell; a row's last
// cell takes the room it needs.
void printRows(const std::vector<Row>& rows)
{
    std::vector<std::size_t> widths;
    for (const Row& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    for (const Row& row : rows) {
        std::string line = " ";
        for (std::size_t i = 0; i < row.size(); ++i)
            line += " " + row[i] + std::string(widths[i] - row[i].size() + 1, ' ');
        std::printf("%s\n", line.substr(0, line.find_last_not_of(' ') + 1).c_str());
    }
}

std::string rangeText(const ParameterInfo& parameter)
{
    if (parameter.kind == ParameterKind::list) {
        std::string options;
        for (const std::string& option : parameter.options)
            options += (options.empty() ? "" : " | ") + option;
        return options;
    }
    return FormatNumber(parameter.minValue) + " to " + FormatNumber(parameter.maxValue);
}

std::string notes(const ParameterInfo& parameter)
{
    if (parameter.hostBypass)
        return "(the host's bypass)";
    if (!parameter.automate)
        return "(shown by the plug-in, not automated)";
    return "";
}

const char* meterType(const MeterInfo& meter)
{
    return meter.type == static_cast<std::int64_t>(c_hux::meterType::input)    ? "input"
           : meter.type == static_cast<std::int64_t>(c_hux::meterType::output) ? "output"
                                                                               : "other";
}

// The parameters as --set takes them, with their host index for a developer.
void printParameters(const PluginDescription& description, bool withIndex)
{
    std::vector<Row> rows = {{"id", "name", "range or options", "default", "unit", ""}};
    for (std::size_t i = 0; i < description.parameters.size(); ++i) {
        const ParameterInfo& parameter = description.parameters[i];
        // A developer sees the plug-in's own units; a user also those of the
        // values it shows.
        rows.push_back({parameter.code, parameter.name(), rangeText(parameter),
                        ParameterValueText(parameter, parameter.defaultValue),
                        withIndex ? parameter.units : ShownUnits(description, parameter),
                        notes(parameter)});
    }
    if (withIndex)
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i].insert(rows[i].begin(), i == 0 ? "index" : std::to_string(i - 1));
    std::printf("Parameters\n");
    printRows(rows);
    std::printf("\nMeters\n");
    rows = {{"entry", "label", "type"}};
    for (const MeterInfo& meter : description.meters)
        rows.push_back({std::to_string(meter.position), meter.label, meterType(meter)});
    printRows(rows);
}

void printDescriptor(const PluginDescription& description)
{
    std::printf("Descriptor\n");
    std::vector<Row> rows;
    for (const MissiveRecordView& record : MissiveRecordsInOrder(description.descriptor.span()))
        rows.push_back({MissiveKeyText(record), ValueText(record.cursor)});
    printRows(rows);
    std::printf("\n");
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
        printParameters(description, false);
        return kExitSuccess;
    }
    if (!OffersDump(description, kTapeDelayDump))
        throw UsageError("--dump: this plug-in offers no diagnostic dump");
    printDescriptor(description);
    printParameters(description, true);
    std::printf("\n");
    std::fflush(stdout);
    std::cout.flush();
    DumpThroughPlugin(*plugin, kTapeDelayDump, description.descriptor);
    DumpThroughPlugin(*plugin, kTapeDelayDump, description.parametersAndMeters);
    return kExitSuccess;
}
