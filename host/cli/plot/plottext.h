// The plot's words: counts with their nouns, and what a setting's delay is.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/runtime/plugindescription.h"

// "1 repeat", "2 repeats", "0 repeats": noun takes an "s" for any count but one.
std::string Counted(std::size_t count, const std::string& noun);

// The delay the plug-in ended on, given every parameter's value by host
// index: "delay 0.375 s: dotted 8th at 120 BPM (session tempo)" with a note
// value; for a free delay "delay 0.500 s (a quarter note at 120.0 BPM)"
// when that tempo lies within the range the plug-in gives BPM, else
// "delay 0.110 s".
std::string DelayText(const PluginDescription& description, const std::vector<double>& values);
