#include "vx9ratebracket.h"

#include <stdexcept>

VX9RateBracket RateBracket(std::int32_t rate)
{
    const auto r = static_cast<std::uint32_t>(rate);
    if (r <= 51000)
        return {kShortestCombRing, kHighestOversampling};
    if (r <= 102000)
        return {42, 2};
    if (r <= 204000)
        return {kLongestCombRing, 1};
    throw std::runtime_error("unrecognized sample rate");
}

void RequireLowestRate(std::int32_t rate)
{
    if (static_cast<std::uint32_t>(rate) < 11025u)
        throw std::runtime_error("unrecognized sample rate");
}

std::int32_t OversamplingFactor(std::int32_t rate)
{
    return RateBracket(rate).oversampling;
}
