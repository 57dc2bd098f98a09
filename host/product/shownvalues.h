// Which of the tape delay's parameters shows the delay it is at: with a note
// value, the note's delay it writes for display; else Delay Time.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

#include "host/runtime/plugininstance.h"

// That parameter, given the parameters' values by host index; empty for a
// plug-in without it.
std::optional<std::size_t> DelayParameter(const PluginDescription& description,
                                          const std::function<double(std::size_t)>& value);

// That delay in seconds; 0 for a plug-in without such a parameter.
double ShownDelay(const PluginDescription& description, const PluginInstance& instance);
