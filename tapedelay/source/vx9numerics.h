// The two conversions every stage of the tape model uses, defined for every
// input so that a stray value can never become undefined behaviour.
#pragma once

#include <cstdint>

namespace VX9Math {
// Truncation toward zero to a signed 32-bit integer. Values outside the
// range (and NaN) give INT32_MIN, as the x86-64 conversion instruction does.
inline std::int32_t TruncInt32(double v)
{
    if (v > -2147483649.0 && v < 2147483648.0)
        return static_cast<std::int32_t>(v);
    return INT32_MIN;
}

// min with 1.0, then max with -1.0. Written as comparisons that fail for NaN,
// so a NaN comes out as 1.0 and never reaches the tape.
inline double Clamp(double v)
{
    const double upper = v < 1.0 ? v : 1.0;
    return upper > -1.0 ? upper : -1.0;
}
} // namespace VX9Math
