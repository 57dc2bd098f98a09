// The coefficient of a one-pole smoother, shared by the framework's meter
// filters and the product's voicing.
#pragma once

#include <cmath>

// The rate of a one-pole smoother with its corner at `fc` Hz, at `rate` Hz:
// y += (x - y) * onePoleRate(fc, rate).
inline double onePoleRate(double fc, double rate)
{
    const double c = std::cos(2.0 * 3.141592653589793 * fc / rate);
    const double pole = (2.0 - c) - std::sqrt(std::pow(2.0 - c, 2.0) - 1.0);
    return 1.0 - pole;
}
