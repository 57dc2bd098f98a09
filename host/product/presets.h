// The built-in presets: named settings of the tape delay that a host offers
// and the command renders with --preset.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/runtime/plugindescription.h"

struct PresetValue {
    std::string code; // the parameter's identifier, kMode
    std::string text; // its value as --set takes it, "Vintage"
};

struct Preset {
    std::string label;               // "Dub Echo": what hosts show and --preset takes (any case)
    std::string name;                // "dub-echo": file-name form, also accepted by --preset
    std::string description;         // one line, a musician's words
    std::vector<PresetValue> values; // only values that differ from the defaults
};

const std::vector<Preset>& Presets();

// The preset with that label or name, ignoring case; nullptr when none.
const Preset* FindPreset(std::string_view labelOrName);

// Its values resolved against the plug-in's description as (host index,
// value), in host parameter order. Throws ParameterValueError for a code
// the description lacks or a value it cannot take.
std::vector<std::pair<std::size_t, double>> PresetValues(const Preset& preset,
                                                         const PluginDescription& description);
