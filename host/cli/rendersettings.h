// The render options as the plug-in takes them: parameter values by host
// index, scheduled changes and taps, the session tempo, the block size and
// the tail.
#pragma once

#include "commandline.h"
#include "host/runtime/plugindescription.h"
#include "renderer.h"

// Reads --set, --at, --tap, --session-bpm, --block and --tail; throws
// UsageError for an unknown parameter or a value the plug-in cannot take.
RenderJob ReadRenderSettings(const CommandLine& line, const PluginDescription& description);

// "ID=VALUE" as (host index, value).
std::pair<std::size_t, double> ParseAssignment(const PluginDescription& description,
                                               const std::string& text, const std::string& option);
