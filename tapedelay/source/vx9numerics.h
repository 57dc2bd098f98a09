// The two conversions every stage of the tape model uses, defined for every
// input so that a stray value can never become undefined behaviour.
//
// On x86-64 each is one instruction whose definition is exactly the
// comparison written out below it: no branch, whatever the signal does.
#pragma once

#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace VX9Math {
// Truncation toward zero to a signed 32-bit integer. Values outside the
// range (and NaN) give INT32_MIN, as the x86-64 conversion instruction does.
[[gnu::always_inline]] inline std::int32_t TruncInt32(double v)
{
#if defined(__SSE2__)
    return _mm_cvttsd_si32(_mm_set_sd(v));
#else
    if (v > -2147483649.0 && v < 2147483648.0)
        return static_cast<std::int32_t>(v);
    return INT32_MIN;
#endif
}

// min with 1.0, then max with -1.0. Written as comparisons that fail for NaN,
// so a NaN comes out as 1.0 and never reaches the tape.
[[gnu::always_inline]] inline double Clamp(double v)
{
#if defined(__SSE2__)
    // minsd gives (a < b ? a : b), maxsd (a > b ? a : b).
    const __m128d upper = _mm_min_sd(_mm_set_sd(v), _mm_set_sd(1.0));
    return _mm_cvtsd_f64(_mm_max_sd(upper, _mm_set_sd(-1.0)));
#else
    const double upper = v < 1.0 ? v : 1.0;
    return upper > -1.0 ? upper : -1.0;
#endif
}
} // namespace VX9Math
