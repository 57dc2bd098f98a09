#include "seconds.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <system_error>

#include "parametervalue.h"

namespace {

bool allDigits(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A decimal number a thousandth as large, rounded once: the exponent moves,
// the digits stay.
double thousandth(std::string_view number, const std::string& what)
{
    ParseNumber(number, what);
    const std::size_t e = number.find_first_of("eE");
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = number.substr(e + 1);
        if (!digits.empty() && digits.front() == '+')
            digits.remove_prefix(1);
        const auto [stop, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
        if (error != std::errc() || stop != digits.data() + digits.size())
            throw ParameterValueError(what + ": \"" + std::string(number) + "\" is not a number");
    }
    return ParseNumber(std::string(number.substr(0, e)) + "e" + std::to_string(exponent - 3), what);
}

} // namespace

bool InSeconds(const ParameterInfo& parameter)
{
    for (const char* unit : {"s", "sec", "secs", "second", "seconds"})
        if (SameIgnoringCase(parameter.units, unit))
            return true;
    return false;
}

NumberAndUnit SplitUnit(std::string_view text)
{
    double value = 0.0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const std::string_view number = text.substr(0, static_cast<std::size_t>(stop - text.data()));
    std::string_view unit = text.substr(number.size());
    // A space may stand between them, as a host shows a value: "0.3 secs".
    if (unit.size() > 1 && unit.front() == ' ')
        unit.remove_prefix(1);
    const bool letters = std::all_of(unit.begin(), unit.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
    if (error != std::errc() || !letters)
        return {text, {}};
    return {number, unit};
}

double ParseSeconds(std::string_view text, const std::string& what)
{
    const auto [number, unit] = SplitUnit(text);
    if (unit.empty() || unit == "s")
        return ParseNumber(number, what);
    if (unit == "ms")
        return thousandth(number, what);
    throw ParameterValueError(what + ": \"" + std::string(text) +
                              "\" is not in seconds (a number, or with s or ms after it)");
}

double ParseClockTime(std::string_view text, const std::string& what)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return ParseSeconds(text, what);
    const std::string_view minutes = text.substr(0, colon);
    const std::string_view seconds = text.substr(colon + 1);
    const std::string_view whole = seconds.substr(0, seconds.find('.'));
    const std::string_view fraction = seconds.substr(whole.size());
    const std::string quoted = what + ": \"" + std::string(text) + "\"";
    // At most nine digits of minutes, so that the seconds stay exact.
    if (!allDigits(minutes) || minutes.size() > 9 || whole.size() != 2 || !allDigits(whole) ||
        (!fraction.empty() && !allDigits(fraction.substr(1))))
        throw ParameterValueError(quoted +
                                  " is not a time (seconds, or minutes and seconds as 1:30.25)");
    const int wholeSeconds = (whole[0] - '0') * 10 + (whole[1] - '0');
    if (wholeSeconds >= 60)
        throw ParameterValueError(quoted + " gives " + std::string(whole) +
                                  " seconds; minutes and seconds take 00 to 59");
    std::uint64_t total = 0;
    std::from_chars(minutes.data(), minutes.data() + minutes.size(), total);
    total = total * 60 + static_cast<std::uint64_t>(wholeSeconds);
    return ParseNumber(std::to_string(total) + std::string(fraction), what);
}
