// The rates the tape delay runs at (the integer part of the rate counts).
// The plug-in's own refusal decides; these only word a host's messages, and
// a test holds them to the plug-in.
#pragma once

#include <string>

inline constexpr double kLowestRate = 11025.0;
inline constexpr double kHighestRate = 204000.0;

// Whether the rate lies within those.
bool SupportedRate(double rate);

// A refusal naming those rates. The plug-in's own reason ("unrecognized
// sample rate") would only say the same again.
std::string UnsupportedRateText(double rate);
