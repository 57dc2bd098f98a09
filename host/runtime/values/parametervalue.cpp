#include "parametervalue.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include "parametername.h"
#include "seconds.h"

namespace {

std::string optionList(const ParameterInfo& parameter)
{
    std::string list;
    for (const std::string& option : parameter.options)
        list += (list.empty() ? "" : ", ") + std::string(OptionForms(option).front());
    return list;
}

// The index of the option with that form, in any case.
std::optional<std::size_t> optionIndex(const ParameterInfo& parameter, std::string_view form)
{
    for (std::size_t i = 0; i < parameter.options.size(); ++i)
        for (const std::string_view own : OptionForms(parameter.options[i]))
            if (SameIgnoringCase(own, form))
                return i;
    return std::nullopt;
}

double parseOption(const ParameterInfo& parameter, std::string_view text,
                   const std::vector<OptionWord>& words)
{
    if (const std::optional<std::size_t> index = optionIndex(parameter, text))
        return static_cast<double>(*index);
    for (const OptionWord& word : words)
        if (word.code == parameter.code && SameIgnoringCase(word.word, text))
            if (const std::optional<std::size_t> index = optionIndex(parameter, word.option))
                return static_cast<double>(*index);
    double index = 0.0;
    try {
        index = ParseNumber(text, parameter.code);
    } catch (const ParameterValueError&) {
        throw ParameterValueError(parameter.code + ": \"" + std::string(text) +
                                  "\" is not one of its options (" + optionList(parameter) + ")");
    }
    if (index != std::floor(index) || index < parameter.minValue || index > parameter.maxValue)
        throw ParameterValueError(parameter.code + ": option index " + std::string(text) +
                                  " is not one of 0 to " + FormatNumber(parameter.maxValue) + " (" +
                                  optionList(parameter) + ")");
    return index;
}

// A number, bare or with the parameter's own unit ("100bpm"), or for a
// parameter in seconds with s or ms.
double parseNumeric(const ParameterInfo& parameter, std::string_view text)
{
    const auto [number, unit] = SplitUnit(text);
    if (!unit.empty() && unit == parameter.units)
        return ParseNumber(number, parameter.code);
    if (InSeconds(parameter))
        return ParseSeconds(text, parameter.code);
    if (unit.empty())
        return ParseNumber(text, parameter.code);
    throw ParameterValueError(parameter.code + ": \"" + std::string(text) + "\" has a unit, " +
                              (parameter.units.empty() ? "but it takes a plain number"
                                                       : "but it takes " + parameter.units));
}

// A switch's words: true for on, yes or true, false for off, no or false.
std::optional<bool> switchWord(std::string_view text)
{
    for (const char* on : {"on", "yes", "true"})
        if (SameIgnoringCase(text, on))
            return true;
    for (const char* off : {"off", "no", "false"})
        if (SameIgnoringCase(text, off))
            return false;
    return std::nullopt;
}

// The option a list parameter's value selects, if any.
std::optional<std::string_view> optionOf(const ParameterInfo& parameter, double value)
{
    const double index = std::floor(value);
    if (parameter.kind != ParameterKind::list || index < 0.0 ||
        index >= static_cast<double>(parameter.options.size()))
        return std::nullopt;
    return OptionForms(parameter.options[static_cast<std::size_t>(index)]).front();
}

} // namespace

std::vector<std::string_view> OptionForms(std::string_view option)
{
    std::vector<std::string_view> forms;
    for (std::size_t start = 0;;) {
        const std::size_t comma = option.find(',', start);
        forms.push_back(option.substr(start, comma - start));
        if (comma == std::string_view::npos)
            return forms;
        start = comma + 1;
    }
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

double ParseNumber(std::string_view text, const std::string& what)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value))
        throw ParameterValueError(what + ": \"" + std::string(text) + "\" is not a number");
    return value;
}

bool IsToggle(const ParameterInfo& parameter)
{
    return parameter.kind == ParameterKind::list &&
           parameter.options == std::vector<std::string>{"off", "on"};
}

double ParseParameterValue(const ParameterInfo& parameter, std::string_view text,
                           const std::vector<OptionWord>& words)
{
    if (IsToggle(parameter) || parameter.hostBypass)
        if (const std::optional<bool> on = switchWord(text))
            return *on ? parameter.maxValue : parameter.minValue;
    if (parameter.kind == ParameterKind::list)
        return parseOption(parameter, text, words);
    double value = 0.0;
    try {
        value = parseNumeric(parameter, text);
    } catch (const ParameterValueError&) {
        if (!parameter.hostBypass)
            throw;
        throw ParameterValueError(
            parameter.code + ": \"" + std::string(text) + "\" is not on, off or a number from " +
            FormatNumber(parameter.minValue) + " to " + FormatNumber(parameter.maxValue));
    }
    if (value < parameter.minValue || value > parameter.maxValue)
        throw ParameterValueError(parameter.code + ": " + std::string(text) +
                                  " is outside its range, " + FormatNumber(parameter.minValue) +
                                  " to " + FormatNumber(parameter.maxValue));
    return value;
}

std::pair<std::size_t, double> ParseParameterAssignment(const PluginDescription& description,
                                                        std::string_view text,
                                                        const ParameterWords& words)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        throw ParameterValueError("\"" + std::string(text) + "\" is not of the form NAME=VALUE");
    const NamedParameter named =
        FindNamedParameter(description, text.substr(0, equals), words.aliases);
    const ParameterInfo& parameter = description.parameters[named.index];
    if (!parameter.automate)
        throw ParameterValueError(parameter.code + " (" + parameter.name() +
                                  ") is a value the plug-in writes for display; it cannot be set");
    const double value = ParseParameterValue(parameter, text.substr(equals + 1), words.optionWords);
    return {named.index, named.inverted ? parameter.minValue + parameter.maxValue - value : value};
}

std::string ParameterAssignmentText(const ParameterInfo& parameter, double value)
{
    return parameter.code + "=" + ParameterValueText(parameter, value);
}

std::string ParameterValueText(const ParameterInfo& parameter, double value)
{
    if (const std::optional<std::string_view> option = optionOf(parameter, value))
        return std::string(*option);
    return FormatNumber(value);
}

std::string FormatParameterValue(const ParameterInfo& parameter, double value)
{
    std::string text = ParameterValueText(parameter, value);
    if (!optionOf(parameter, value) && !parameter.units.empty())
        text += " " + parameter.units;
    return text;
}
