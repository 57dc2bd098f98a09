// The tape delay is defined in IEEE arithmetic with the default modes; a
// host may run its audio thread with denormals flushed to zero or another
// rounding. For the guard's lifetime the default modes hold; the host's come
// back when it ends.
//
// It guards every run, so on x86-64 it reads the two control words and
// loads only what differs: a host already in the default modes pays two
// reads and one load, not a whole environment saved and restored.
#pragma once

#if defined(__x86_64__)
#include <cstdint>
#include <xmmintrin.h>
#else
#include <cfenv>
#endif

class DefaultFloatingPoint {
public:
    // [audio] no allocation, no throw.
    DefaultFloatingPoint()
    {
#if defined(__x86_64__)
        // SSE: all exceptions masked, to nearest, no flushing. The x87 unit:
        // all masked, to nearest, extended precision (as FE_DFL_ENV sets
        // it on Linux and MinGW alike).
        hostsSse = _mm_getcsr();
        if ((hostsSse & ~kSseFlags) != kDefaultSse)
            _mm_setcsr(kDefaultSse);
        __asm__ volatile("fnstcw %0" : "=m"(hostsX87));
        if (hostsX87 != kDefaultX87)
            LoadX87(kDefaultX87);
#else
        std::fegetenv(&hosts);
        std::fesetenv(FE_DFL_ENV);
#endif
    }
    ~DefaultFloatingPoint()
    {
#if defined(__x86_64__)
        // The host's exception flags come back with its modes.
        _mm_setcsr(hostsSse);
        if (hostsX87 != kDefaultX87)
            LoadX87(hostsX87);
#else
        std::fesetenv(&hosts);
#endif
    }
    DefaultFloatingPoint(const DefaultFloatingPoint&) = delete;
    DefaultFloatingPoint& operator=(const DefaultFloatingPoint&) = delete;

private:
#if defined(__x86_64__)
    static constexpr unsigned kSseFlags = 0x3F; // the sticky exception flags
    static constexpr unsigned kDefaultSse = 0x1F80;
    static constexpr std::uint16_t kDefaultX87 = 0x037F;

    static void LoadX87(std::uint16_t word)
    {
        __asm__ volatile("fldcw %0" : : "m"(word));
    }

    unsigned hostsSse = 0;
    std::uint16_t hostsX87 = 0;
#else
    std::fenv_t hosts;
#endif
};
