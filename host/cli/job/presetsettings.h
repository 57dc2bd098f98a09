// The built-in presets as the command uses them: found by a name the user
// gave, turned into starting settings, and written out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/product/presets.h"
#include "host/render/renderjob.h"
#include "host/runtime/plugindescription.h"

// The preset with that label or name (any case); throws UsageError listing
// the labels there are.
const Preset& NamedPreset(std::string_view labelOrName);

// Its values as starting settings in host parameter order, each quoting the
// preset for the warnings ("preset Dub Echo (fbak=7.5)").
std::vector<ParameterSetting> PresetSettings(const Preset& preset,
                                             const PluginDescription& description);

// Its values in host parameter order as --set takes them: "nval=8th fbak=7.5".
std::string PresetSettingsText(const Preset& preset, const PluginDescription& description);
