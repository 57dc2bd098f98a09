#include "paneltext.h"

#include <cmath>
#include <cstdio>

#include "host/runtime/values/parametervalue.h"

namespace {

std::string fixed(double value, int decimals)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, std::isfinite(value) ? value : 0.0);
    return text;
}

} // namespace

std::string DelayText(double seconds)
{
    const double ms = seconds * 1000.0;
    if (std::round(ms * 10.0) < 10000.0)
        return fixed(ms, std::round(ms * 10.0) < 100.0 ? 1 : 0) + " ms";
    return fixed(seconds, 2) + " s";
}

std::string TempoText(double bpm)
{
    const double tenths = std::round(bpm * 10.0);
    return fixed(bpm, std::fmod(tenths, 10.0) == 0.0 ? 0 : 1) + " BPM";
}

std::string DialValueText(const ParameterInfo& parameter, double value)
{
    if (parameter.kind == ParameterKind::list)
        return FormatParameterValue(parameter, value);
    const std::string number = fixed(value, 1);
    return parameter.units.empty() ? number : number + " " + parameter.units;
}

std::string OptionText(const ParameterInfo& parameter, std::size_t option)
{
    if (option >= parameter.options.size())
        return {};
    return std::string(OptionForms(parameter.options[option]).front());
}
