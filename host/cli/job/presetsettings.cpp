#include "presetsettings.h"

#include "host/cli/usageerror.h"
#include "host/runtime/values/parametervalue.h"

const Preset& NamedPreset(std::string_view labelOrName)
{
    if (const Preset* preset = FindPreset(labelOrName))
        return *preset;
    std::string known;
    for (const Preset& preset : Presets())
        known += (known.empty() ? "" : ", ") + preset.label;
    throw UsageError("unknown preset \"" + std::string(labelOrName) + "\" (the presets are " +
                     known + "; see tapedelay presets)");
}

std::vector<ParameterSetting> PresetSettings(const Preset& preset,
                                             const PluginDescription& description)
{
    std::vector<ParameterSetting> settings;
    for (const auto& [index, value] : PresetValues(preset, description))
        settings.push_back({index, value,
                            "preset " + preset.label + " (" +
                                ParameterAssignmentText(description.parameters[index], value) +
                                ")"});
    return settings;
}

std::string PresetSettingsText(const Preset& preset, const PluginDescription& description)
{
    std::string text;
    for (const auto& [index, value] : PresetValues(preset, description))
        text += (text.empty() ? "" : " ") +
                ParameterAssignmentText(description.parameters[index], value);
    return text;
}
