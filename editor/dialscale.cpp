#include "dialscale.h"

#include <algorithm>
#include <cmath>

#include "host/product/controlscale.h"

double DialPosition(const ParameterInfo& parameter, double value)
{
    const double span = parameter.maxValue - parameter.minValue;
    if (!(span > 0.0) || std::isnan(value))
        return 0.0;
    const double v = std::clamp(value, parameter.minValue, parameter.maxValue);
    if (LogarithmicScale(parameter))
        return std::log(v / parameter.minValue) / std::log(parameter.maxValue / parameter.minValue);
    return (v - parameter.minValue) / span;
}

double DialValue(const ParameterInfo& parameter, double position)
{
    const double p = std::isnan(position) ? 0.0 : std::clamp(position, 0.0, 1.0);
    if (p <= 0.0)
        return parameter.minValue;
    if (p >= 1.0)
        return parameter.maxValue;
    if (LogarithmicScale(parameter))
        return parameter.minValue * std::pow(parameter.maxValue / parameter.minValue, p);
    return parameter.minValue + p * (parameter.maxValue - parameter.minValue);
}
