// The tape delay is defined in IEEE arithmetic with the default modes; a
// host may run its audio thread with denormals flushed to zero or another
// rounding. For the guard's lifetime the default modes hold; the host's come
// back when it ends.
#pragma once

#include <cfenv>

class DefaultFloatingPoint {
public:
    // [audio] no allocation, no throw.
    DefaultFloatingPoint()
    {
        std::fegetenv(&hosts);
        std::fesetenv(FE_DFL_ENV);
    }
    ~DefaultFloatingPoint() { std::fesetenv(&hosts); }
    DefaultFloatingPoint(const DefaultFloatingPoint&) = delete;
    DefaultFloatingPoint& operator=(const DefaultFloatingPoint&) = delete;

private:
    std::fenv_t hosts;
};
