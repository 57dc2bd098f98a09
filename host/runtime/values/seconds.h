// Seconds as a user writes them: a number with or without a unit, or a time
// in minutes and seconds.
#pragma once

#include <string>
#include <string_view>

#include "host/runtime/plugindescription.h"

// Whether a parameter's unit is seconds ("secs", "s", "seconds").
bool InSeconds(const ParameterInfo& parameter);

// A number and the letters after it, right after or after one space:
// "300ms" gives "300" and "ms", as does "300 ms".
// Text that is not a number followed by letters only has no unit.
struct NumberAndUnit {
    std::string_view number;
    std::string_view unit;
};
NumberAndUnit SplitUnit(std::string_view text);

// A number of seconds, bare or with "s" or "ms" ("0.3", "0.3s", "300ms"); a
// number of milliseconds is read as the same decimal in seconds, so "300ms"
// is exactly "0.3". Throws ParameterValueError naming what.
double ParseSeconds(std::string_view text, const std::string& what);

// A time: seconds as ParseSeconds reads them, or minutes and two-digit
// seconds under 60 with any fraction ("1:30", "1:30.25", the same as "90.25").
// Throws ParameterValueError naming what.
double ParseClockTime(std::string_view text, const std::string& what);
