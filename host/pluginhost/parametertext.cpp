#include "parametertext.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string ParameterIdText(std::uint32_t id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(id >> shift);
        if (!std::isprint(c))
            return std::to_string(id);
        text += static_cast<char>(c);
    }
    return text;
}

bool NamesParameter(const std::string& given, std::uint32_t id, const std::string& title)
{
    return ParameterIdText(id) == given || lower(title) == lower(given);
}

std::string ShortestText(double value)
{
    char text[32];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

bool PlainNumber(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    return !text.empty() && end == begin + text.size() && std::isfinite(value);
}

std::string ValueLine(std::uint32_t id, const std::string& title, const std::string& shown,
                      double value)
{
    char number[32];
    std::snprintf(number, sizeof number, "%.17g", value);
    return ParameterIdText(id) + " " + title + " = " + shown + " (" + number + ")";
}
