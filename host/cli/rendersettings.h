// The render options as the plug-in takes them: parameter values by host
// index, scheduled changes and taps, the session tempo, the pre-roll, the
// block size and the tail; and how the output's level is set.
#pragma once

#include <optional>

#include "commandline.h"
#include "host/runtime/plugindescription.h"
#include "renderer.h"

// The limits of the options, for the checks and the help text.
inline constexpr std::uint64_t kLargestBlock = 1u << 20;
inline constexpr double kLongestTail = 3600.0;
inline constexpr double kLongestPreroll = 60.0;
inline constexpr double kLowestNormalizeLevel = -120.0;

// Reads --preset, --set, --at, --tap, --session-bpm, --preroll, --block and
// --tail; the preset's values come first, then the --set values. Throws
// UsageError for an unknown preset or parameter and ParameterValueError for
// a value the plug-in cannot take.
RenderJob ReadRenderSettings(const CommandLine& line, const PluginDescription& description);

// --normalize: the level in dBFS the output's highest peak is brought to.
std::optional<double> ReadNormalizeLevel(const CommandLine& line);

// "ID=VALUE" for a parameter the user may set, quoted as "OPTION ID=VALUE".
// Throws UsageError for an unknown parameter or a parameter the plug-in
// writes itself, naming the option, and ParameterValueError for a value it
// cannot take.
ParameterSetting ParseAssignment(const PluginDescription& description, const std::string& text,
                                 const std::string& option);
