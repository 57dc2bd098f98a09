// The render options as the plug-in takes them: parameter values by host
// index, scheduled changes and taps, the session tempo, the pre-roll, the
// block size and the tail; and how the output's level is set.
#pragma once

#include <optional>

#include "host/cli/commandline.h"
#include "host/render/renderjob.h"
#include "host/runtime/plugindescription.h"

// The limits of the options, for the checks and the help text.
inline constexpr std::uint64_t kLargestBlock = 1u << 20;
inline constexpr double kLongestTail = 3600.0;
inline constexpr double kLongestPreroll = 60.0;
inline constexpr double kLowestNormalizeLevel = -120.0;
// --tail auto: the output below the floor (or the tape hiss) for the hold
// beyond the delay, within the longest tail.
inline constexpr double kQuietFloorDbfs = -90.0;
inline constexpr double kQuietHoldSeconds = 0.5;
inline constexpr double kLongestQuietTail = 60.0;

// What a job takes where its options say nothing: render's own defaults are
// a host's, the plug-in running before the input and the echoes ringing out.
struct JobDefaults {
    double prerollSeconds = 3.0;
    std::optional<double> tailSeconds; // none: auto
};

// Reads --preset, --set, --at, --tap, --session-bpm (BPM, or T:BPM for a
// change at T, in seconds or as 1:30.25), --automation, --preroll, --block
// and --tail (SECONDS or auto), each left out taking its default; the
// preset's values come first, then the --set values; the events keep the
// order given. Throws UsageError for an unknown preset and
// ParameterValueError for a parameter name or value the plug-in cannot
// take. The job refers to description.
RenderJob ReadRenderSettings(const CommandLine& line, const PluginDescription& description,
                             const JobDefaults& defaults = {});

// --normalize: the level in dBFS the output's highest peak is brought to.
std::optional<double> ReadNormalizeLevel(const CommandLine& line);

// "NAME=VALUE" for a parameter the user may set, quoted as "OPTION
// NAME=VALUE": NAME its identifier, LV2 symbol or any of its labels in any
// case, VALUE with the tape delay's words for options. Throws
// ParameterValueError naming the option for text the plug-in's description
// cannot take (see ParseParameterAssignment).
ParameterSetting ParseAssignment(const PluginDescription& description, const std::string& text,
                                 const std::string& option);

// A tempo for option (a tap or a session tempo): a number in the range of
// the plug-in's BPM parameter.
double ParseTempo(const PluginDescription& description, const std::string& text,
                  const std::string& option);
