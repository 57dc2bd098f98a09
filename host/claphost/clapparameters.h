// Names and values as a user types them, read by the CLAP plug-in's params
// extension: a parameter by its four-character ID or its name (in any
// case), a value through text_to_value ("Dark", "300ms") or as a plain
// number in the parameter's range; and the values --show-values prints.
#pragma once

#include <string>
#include <vector>

#include "clapinstance.h"
#include "host/pluginhost/hostedplugin.h"

// [main] the parameter and its plain value; throws HostInputError quoting
// setting.given when the parameter is unknown or read-only, or the value
// neither text the plug-in reads nor a number in its range.
ParameterSetting ResolveClapSetting(const ClapInstance& instance, const ParameterText& setting);

// [main] "fbak Feedback = 7.0 (7)" for every parameter a host sets: its ID,
// name, value as value_to_text shows it and plain value.
std::vector<std::string> ClapValueLines(const ClapInstance& instance);
