// What the fuzz targets share: the value picker for controls and parameters
// (an edge, a number near the dials' ranges, or any bits, NaN and infinities
// included), the audio a host hands over, the checks whose failure is a
// finding, refusals that are not, and the bound on the work of one input.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

#include "host/effect/effectstate.h"

// Bounds the work of one input, so that no input runs for long.
inline constexpr std::uint64_t kFramesPerInput = 1u << 17;

inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Runs `action`; an Error it throws is a refusal of bad input, which the
// targets expect: anything else escaping is a finding.
template <class Error, class Action>
void Tolerate(Action&& action)
{
    try {
        action();
    } catch (const Error&) {
    }
}

// The first `count` values of type T at `area`, which may be a record of them.
template <class T>
void RequireFinite(const void* area, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        T value;
        std::memcpy(&value, static_cast<const char*>(area) + i * sizeof value, sizeof value);
        Require(std::isfinite(value));
    }
}

// A level of 2^-8 to 2^20, and samples at that level from the bytes.
inline float AnyLevel(FuzzedDataProvider& in)
{
    return std::ldexp(1.0f, in.ConsumeIntegralInRange(-8, 20));
}
inline float AnySample(FuzzedDataProvider& in, float level)
{
    return level * static_cast<float>(in.ConsumeIntegral<std::int16_t>()) / 32768.0f;
}

template <class T>
T AnyValue(FuzzedDataProvider& in)
{
    using Limits = std::numeric_limits<T>;
    constexpr T inf = Limits::infinity();
    constexpr T big = Limits::max();
    constexpr T kEdges[] = {
        Limits::quiet_NaN(), inf, -inf, big, -big, Limits::denorm_min(), -1, 0, 0.5, 1, 2, 9,
        4294967296.0};
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return in.PickValueInArray(kEdges);
    case 1: return static_cast<T>(in.ConsumeIntegralInRange(-3, 12)) + in.ConsumeProbability<T>();
    case 2: return in.ConsumeFloatingPointInRange<T>(-10, 600);
    default: {
        using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;
        const auto bits = in.ConsumeIntegral<Bits>();
        T value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    }
}

// Up to 20 values, each of an ID `anyId` picks and any value: a well-formed
// state of any codes and values.
template <class AnyId>
EffectState AnyState(FuzzedDataProvider& in, AnyId anyId)
{
    EffectState state;
    for (int n = in.ConsumeIntegralInRange(0, 20); n > 0; --n)
        state.values.emplace_back(anyId(), AnyValue<double>(in));
    return state;
}
