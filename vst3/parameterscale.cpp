#include "parameterscale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "host/effect/decimalvalue.h"
#include "host/product/controlscale.h"

ParameterScale::ParameterScale(const ParameterInfo& parameter)
    : low(parameter.minValue),
      high(parameter.maxValue)
{
    if (parameter.kind == ParameterKind::list) {
        *this =
            Steps(static_cast<std::uint32_t>(std::max<std::size_t>(parameter.options.size(), 2)));
    } else if (parameter.hostBypass) {
        *this = Steps(2);
    } else if (LogarithmicScale(parameter) && low > 0.0 && high > low) {
        scaleLaw = Law::logarithmic;
    }
}

ParameterScale ParameterScale::Steps(std::uint32_t count)
{
    ParameterScale scale;
    scale.scaleLaw = Law::stepped;
    scale.low = 0.0;
    scale.steps = static_cast<std::int32_t>(count - 1);
    scale.high = scale.steps;
    return scale;
}

double ParameterScale::toPlain(double normalised) const
{
    const double n = HostNormalised(normalised).value_or(0.0);
    if (scaleLaw == Law::stepped)
        return std::min<double>(steps, std::floor(n * (steps + 1)));
    const double plain =
        scaleLaw == Law::logarithmic ? low * std::pow(high / low, n) : low + n * (high - low);
    // A host that keeps normalised values in single precision cannot send
    // 0.3's exactly: take the shortest decimal whose normalised value it
    // would keep as the same float.
    const auto single = static_cast<float>(n);
    if (static_cast<double>(single) == n)
        for (int digits = 1; digits <= 9; ++digits) {
            char text[32];
            const std::to_chars_result written =
                std::to_chars(text, text + sizeof text, plain, std::chars_format::general, digits);
            double decimal = plain;
            std::from_chars(text, written.ptr, decimal);
            if (decimal >= low && decimal <= high &&
                static_cast<float>(toNormalised(decimal)) == single)
                return decimal;
        }
    return std::clamp(DecimalValue(static_cast<float>(plain)), low, high);
}

double ParameterScale::toNormalised(double plain) const
{
    if (std::isnan(plain) || high <= low)
        return 0.0;
    const double p = std::clamp(plain, low, high);
    switch (scaleLaw) {
    case Law::stepped: return std::round(p) / steps;
    case Law::logarithmic: return std::log(p / low) / std::log(high / low);
    case Law::linear: break;
    }
    return (p - low) / (high - low);
}

std::optional<double> HostNormalised(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    return std::clamp(value, 0.0, 1.0);
}
