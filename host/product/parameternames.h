// The names a user may give the tape delay's parameters and options beyond
// the plug-in's own: each parameter's LV2 port symbol (".bpm" is "bpm"; the
// host's bypass is "enabled", on while the effect runs), and musicians'
// words for the note values ("eighth", "1/8", "none"). The command and the
// LV2 bundle take the symbols from here.
#pragma once

#include <string>

#include "host/runtime/plugindescription.h"
#include "host/runtime/values/parameterwords.h"

// The symbol of the host's bypass: lv2:enabled, the inverse of the bypass.
inline constexpr const char* kEnabledSymbol = "enabled";

// A valid port symbol for an identifier: letters, digits and "_" kept, and
// "_" before a leading digit (".bpm" gives "bpm").
std::string PortSymbol(const std::string& identifier);

// A parameter's port symbol: kEnabledSymbol for the host's bypass, else its
// identifier's.
std::string ParameterSymbol(const ParameterInfo& parameter);

// The symbols as aliases (the bypass's inverted) and the option words.
ParameterWords TapeDelayWords(const PluginDescription& description);
