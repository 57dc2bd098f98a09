// What the fuzz targets share: the value picker for controls and parameters
// (an edge, a number near the dials' ranges, or any bits, NaN and infinities
// included) and the check whose failure is a finding.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}

template <class T>
T AnyValue(FuzzedDataProvider& in)
{
    using Limits = std::numeric_limits<T>;
    constexpr T kEdges[] = {Limits::quiet_NaN(),
                            Limits::infinity(),
                            -Limits::infinity(),
                            Limits::max(),
                            -Limits::max(),
                            Limits::denorm_min(),
                            -1,
                            0,
                            0.5,
                            1,
                            2,
                            9,
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
