#include "presets.h"

#include <algorithm>

#include "host/runtime/values/parametervalue.h"
#include "parametercodes.h"

const std::vector<Preset>& Presets()
{
    static const std::vector<Preset> presets = {
        {"Slapback",
         "slapback",
         "One quick repeat 110 ms behind, for rockabilly guitar and vocals",
         {{kMode, "Vintage"},
          {kDelayTime, "0.11"},
          {kFeedback, "1.5"},
          {kBlend, "4.5"},
          {kOutput, "6"}}},
        {"Dub Echo",
         "dub-echo",
         "Dark dotted-eighth repeats that keep coming back, for dub and reggae",
         {{kTempoLock, "on"},
          {kTone, "Dark"},
          {kNoteValue, "8th"},
          {kDottedTriplet, "Dotted"},
          {kFeedback, "7.5"},
          {kBlend, "5.5"},
          {kOutput, "6.5"}}},
        {"Clean Quarter",
         "clean-quarter",
         "A clean quarter-note echo that sits right behind the beat",
         {{kMode, "Modern"},
          {kNoteValue, "Quarter"},
          {kFeedback, "4"},
          {kBlend, "4.5"},
          {kOutput, "6"}}},
        {"Dark Long",
         "dark-long",
         "A dark echo 1.2 s behind that fades slowly, for slow ballads",
         {{kMode, "Vintage"},
          {kTone, "Dark"},
          {kDelayTime, "1.2"},
          {kFeedback, "5.5"},
          {kOutput, "6.5"}}},
        {"Dotted Eighth",
         "dotted-eighth",
         "Rhythmic dotted-eighth echoes on the session tempo, filling the gaps between picked "
         "notes",
         {{kTempoLock, "on"},
          {kMode, "Modern"},
          {kNoteValue, "8th"},
          {kDottedTriplet, "Dotted"},
          {kFeedback, "4.5"},
          {kOutput, "5.5"}}},
        {"Tempo Eighth",
         "tempo-eighth",
         "Eighth-note repeats locked to the session tempo, for tight rhythm guitar and keys",
         {{kTempoLock, "on"},
          {kNoteValue, "8th"},
          {kFeedback, "3.5"},
          {kBlend, "4"},
          {kOutput, "5.5"}}},
        {"Bright Triplet",
         "bright-triplet",
         "Bright quarter-note triplets that shuffle against the beat, for lead lines",
         {{kTempoLock, "on"},
          {kNoteValue, "Quarter"},
          {kDottedTriplet, "Triplet"},
          {kFeedback, "5"},
          {kBlend, "4.5"},
          {kTone, "Bright"},
          {kMode, "Vintage"},
          {kOutput, "5.5"}}},
        {"Retro Wash",
         "retro-wash",
         "Long repeats that blur into a wash behind pads and slow chords",
         {{kDelayTime, "1.6"}, {kFeedback, "8"}, {kInput, "6"}, {kBlend, "6"}, {kOutput, "6"}}},
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
