// tapedelay describe: what the plug-in says about itself, as a table, or its
// own dump of the two messages.
#include <cstdio>
#include <iostream>

#include "commandline.h"
#include "commands.h"
#include "host/runtime/plugindump.h"
#include "messagetext.h"

namespace {

constexpr const char* kUsage = R"(usage: tapedelay describe [--dump] [--plugin PATH]

Prints the plug-in's descriptor, its parameters (host index, identifier,
name, range or options, default) and its meters, as the plug-in describes
them.

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

void printTable(const PluginDescription& description)
{
    std::printf("Descriptor\n");
    for (const MissiveRecordView& record : MissiveRecordsInOrder(description.descriptor.span()))
        std::printf("  %-20s %s\n", RecordKeyText(record).c_str(),
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
    for (const MeterInfo& meter : description.meters) {
        const char* type =
            meter.type == static_cast<std::int64_t>(c_hux::meterType::input)    ? "input"
            : meter.type == static_cast<std::int64_t>(c_hux::meterType::output) ? "output"
                                                                                : "other";
        std::printf("  %5u %-6s %s\n", meter.position, meter.label.c_str(), type);
    }
}

} // namespace

int DescribeCommand(const std::vector<std::string>& arguments)
{
    const CommandLine line = ParseCommandLine(arguments, "describe", {"plugin"}, {"dump", "help"});
    if (line.has("help")) {
        std::cout << kUsage;
        return kExitSuccess;
    }
    if (!line.operands.empty())
        throw UsageError("describe takes no operands (see tapedelay describe --help)");

    PluginLibrary library(PluginPath(line));
    HuxObject<IIHux::Plugin> plugin(library, "IIHux::Plugin");
    const PluginDescription description = ExchangeDescriptions(*plugin);
    if (!line.has("dump")) {
        printTable(description);
        return kExitSuccess;
    }
    if (!OffersDump(description))
        throw UsageError("--dump: this plug-in offers no diagnostic dump");
    std::cout.flush();
    DumpThroughPlugin(*plugin, description.descriptor);
    DumpThroughPlugin(*plugin, description.parametersAndMeters);
    return kExitSuccess;
}
