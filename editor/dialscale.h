// How far round its arc a dial stands for a value: linear over the range,
// or for a parameter on a logarithmic scale (Delay Time) by the ratio to
// its minimum, so the short delays get the room.
#pragma once

#include "host/runtime/plugindescription.h"

// The value's place along the dial, 0 to 1 (a value outside the range is
// taken at the nearer end).
double DialPosition(const ParameterInfo& parameter, double value);
// The value at a place along the dial (taken within 0 to 1).
double DialValue(const ParameterInfo& parameter, double position);
