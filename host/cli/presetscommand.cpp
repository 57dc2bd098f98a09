// tapedelay presets: the built-in presets with their settings.
#include <cstdio>
#include <iostream>

#include "commandline.h"
#include "commands.h"
#include "presetsettings.h"

namespace {

constexpr const char* kUsage = R"(usage: tapedelay presets [--plugin PATH]

Lists the built-in presets: each one's label and name (either, in any case,
goes to `tapedelay render --preset`), what it is for, and the settings it
turns in, in the plug-in's parameter order, as --set takes them. Every other
parameter stays at its default.

  --plugin PATH  the plug-in library (default: beside this program, or
                 $TAPEDELAY_PLUGIN)
  -h, --help     this text
)";

} // namespace

int PresetsCommand(const std::vector<std::string>& arguments)
{
    const CommandLine line = ParseCommandLine(arguments, "presets", {"plugin"}, {"help"});
    if (line.has("help")) {
        std::cout << kUsage;
        return kExitSuccess;
    }
    if (!line.operands.empty())
        throw UsageError("presets takes no operands (see tapedelay presets --help)");

    PluginLibrary library(PluginPath(line));
    const PluginDescription description = DescribeLibrary(library);
    for (const Preset& preset : Presets())
        std::printf("%s (%s)\n  %s\n  %s\n\n", preset.label.c_str(), preset.name.c_str(),
                    preset.description.c_str(), PresetSettingsText(preset, description).c_str());
    return kExitSuccess;
}
