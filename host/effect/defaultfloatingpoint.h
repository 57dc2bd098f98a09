// The tape delay is defined in IEEE arithmetic with the default modes; a
// host may run its audio thread with denormals flushed to zero or another
// rounding. For the guard's lifetime the default modes hold; the host's come
// back when it ends.
#pragma once

#include <cfenv>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

class DefaultFloatingPoint {
public:
    // [audio] no allocation, no throw.
    DefaultFloatingPoint()
    {
        std::fegetenv(&hosts);
#if defined(__SSE__)
        // MinGW's environments leave the SSE unit's rounding and flushing
        // alone: its control word is kept and set here (all exceptions
        // masked, to nearest, no flushing).
        hostsSse = _mm_getcsr();
#endif
        std::fesetenv(FE_DFL_ENV);
#if defined(__SSE__)
        _mm_setcsr(0x1F80);
#endif
    }
    ~DefaultFloatingPoint()
    {
        std::fesetenv(&hosts);
#if defined(__SSE__)
        _mm_setcsr(hostsSse);
#endif
    }
    DefaultFloatingPoint(const DefaultFloatingPoint&) = delete;
    DefaultFloatingPoint& operator=(const DefaultFloatingPoint&) = delete;

private:
    std::fenv_t hosts;
#if defined(__SSE__)
    unsigned int hostsSse = 0;
#endif
};
