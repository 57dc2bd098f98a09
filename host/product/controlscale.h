// How a host presents the tape delay's controls beyond what each parameter's
// own description says: the units of the values the plug-in writes for
// display, and which control a musician turns on a logarithmic scale.
#pragma once

#include <string>

#include "host/runtime/plugindescription.h"

// The parameter's unit text: its own, or for a value the plug-in writes for
// display that of the parameter it shows (Session BPM in "bpm", BPM Delay
// Time in "secs"); empty for a dial or a list.
std::string ShownUnits(const PluginDescription& description, const ParameterInfo& parameter);

// Delay Time: 5 ms to 2 s, where the short delays need the room.
bool LogarithmicScale(const ParameterInfo& parameter);
