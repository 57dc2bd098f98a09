// The panel's own ways of writing values, short enough for a dial.
#pragma once

#include <string>

#include "host/runtime/plugindescription.h"

// A delay: "7.5 ms" and "375 ms" below a second, "1.20 s" from it.
std::string DelayText(double seconds);
// A tempo to a tenth where it has one: "120 BPM", "92.5 BPM".
std::string TempoText(double bpm);
// A dial's value to a tenth with its units ("5.5", "120.0 bpm"); a list's
// option.
std::string DialValueText(const ParameterInfo& parameter, double value);
// An option's first form: "Quarter" for "Quarter,Qtr"; empty outside the list.
std::string OptionText(const ParameterInfo& parameter, std::size_t option);
