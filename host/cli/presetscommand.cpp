// tapedelay presets: the built-in presets with their settings.
#include <cstdio>

#include "commandline.h"
#include "commands.h"
#include "host/cli/job/presetsettings.h"
#include "host/cli/report/jsonwriter.h"
#include "host/runtime/values/parametervalue.h"

namespace {

constexpr const char* kUsage = R"(usage: tapedelay presets [--json] [--plugin PATH]

Lists the built-in presets: each one's label and name (either, in any case,
goes to `tapedelay render --preset`), what it is for, and the settings it
turns in, in the plug-in's parameter order, as --set takes them. Every other
parameter stays at its default.

  --json         the same as JSON: label, name, description and the settings,
                 each with its identifier, value and text as --set takes it
  --plugin PATH  the plug-in library (default: beside this program, or
                 $TAPEDELAY_PLUGIN)
  -h, --help     this text
)";

void printJson(const PluginDescription& description)
{
    JsonWriter json;
    json.beginArray();
    for (const Preset& preset : Presets()) {
        json.beginObject();
        json.key("label").value(preset.label);
        json.key("name").value(preset.name);
        json.key("description").value(preset.description);
        json.key("settings").beginArray();
        for (const auto& [index, value] : PresetValues(preset, description)) {
            const ParameterInfo& parameter = description.parameters[index];
            json.beginObject();
            json.key("id").value(parameter.code);
            json.key("value").value(value);
            json.key("text").value(ParameterValueText(parameter, value));
            json.endObject();
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
    std::fputs(json.text().c_str(), stdout);
}

} // namespace

std::string PresetsUsage()
{
    return kUsage;
}

int PresetsCommand(const CommandLine& line)
{

    PluginLibrary library(PluginPath(line));
    const PluginDescription description = DescribeLibrary(library);
    if (line.has("json")) {
        printJson(description);
        return kExitSuccess;
    }
    for (const Preset& preset : Presets())
        std::printf("%s (%s)\n  %s\n  %s\n\n", preset.label.c_str(), preset.name.c_str(),
                    preset.description.c_str(), PresetSettingsText(preset, description).c_str());
    return kExitSuccess;
}
