#include "presets.h"

#include <algorithm>

#include "parametervalue.h"

const std::vector<Preset>& Presets()
{
    static const std::vector<Preset> presets = {
        {"Slapback",
         "slapback",
         "One quick repeat 110 ms behind, for rockabilly guitar and vocals",
         {{"mode", "Vintage"}, {"time", "0.11"}, {"fbak", "1.5"}, {"blnd", "4.5"}, {"oput", "6"}}},
        {"Dub Echo",
         "dub-echo",
         "Dark dotted-eighth repeats that keep coming back, for dub and reggae",
         {{"tlok", "on"},
          {"tone", "Dark"},
          {"nval", "8th"},
          {"dot3", "Dotted"},
          {"fbak", "7.5"},
          {"blnd", "5.5"},
          {"oput", "6.5"}}},
        {"Clean Quarter",
         "clean-quarter",
         "A clean quarter-note echo that sits right behind the beat",
         {{"mode", "Modern"}, {"nval", "Quarter"}, {"fbak", "4"}, {"blnd", "4.5"}, {"oput", "6"}}},
        {"Dark Long",
         "dark-long",
         "A dark echo 1.2 s behind that fades slowly, for slow ballads",
         {{"mode", "Vintage"},
          {"tone", "Dark"},
          {"time", "1.2"},
          {"fbak", "5.5"},
          {"oput", "6.5"}}},
        {"Dotted Eighth",
         "dotted-eighth",
         "Rhythmic dotted-eighth echoes on the session tempo, filling the gaps between picked "
         "notes",
         {{"tlok", "on"},
          {"mode", "Modern"},
          {"nval", "8th"},
          {"dot3", "Dotted"},
          {"fbak", "4.5"},
          {"oput", "5.5"}}},
        {"Tempo Eighth",
         "tempo-eighth",
         "Eighth-note repeats locked to the session tempo, for tight rhythm guitar and keys",
         {{"tlok", "on"}, {"nval", "8th"}, {"fbak", "3.5"}, {"blnd", "4"}, {"oput", "5.5"}}},
        {"Bright Triplet",
         "bright-triplet",
         "Bright quarter-note triplets that shuffle against the beat, for lead lines",
         {{"tlok", "on"},
          {"nval", "Quarter"},
          {"dot3", "Triplet"},
          {"fbak", "5"},
          {"blnd", "4.5"},
          {"tone", "Bright"},
          {"mode", "Vintage"},
          {"oput", "5.5"}}},
        {"Retro Wash",
         "retro-wash",
         "Long repeats that blur into a wash behind pads and slow chords",
         {{"time", "1.6"}, {"fbak", "8"}, {"inpt", "6"}, {"blnd", "6"}, {"oput", "6"}}},
    };
    return presets;
}

const Preset* FindPreset(std::string_view labelOrName)
{
    for (const Preset& preset : Presets())
        if (SameIgnoringCase(preset.label, labelOrName) ||
            SameIgnoringCase(preset.name, labelOrName))
            return &preset;
    return nullptr;
}

std::vector<std::pair<std::size_t, double>> PresetValues(const Preset& preset,
                                                         const PluginDescription& description)
{
    std::vector<std::pair<std::size_t, double>> values;
    for (const PresetValue& value : preset.values) {
        const std::optional<std::size_t> index = description.find(value.code);
        if (!index || !description.parameters[*index].automate)
            throw ParameterValueError(preset.label + ": \"" + value.code +
                                      "\" is not a parameter the plug-in lets a user set");
        try {
            values.emplace_back(*index,
                                ParseParameterValue(description.parameters[*index], value.text));
        } catch (const ParameterValueError& error) {
            throw ParameterValueError(preset.label + ": " + error.what());
        }
    }
    std::stable_sort(values.begin(), values.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return values;
}
