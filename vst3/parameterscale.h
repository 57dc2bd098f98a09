// How a control of the tape delay travels as a VST3 normalised value (0 to
// 1), and back:
// - Delay Time: logarithmic from 5 ms to 2 s
//   (plain = min x (max / min)^normalised);
// - BPM, the dials (1 to 9) and the values the plug-in shows (Session BPM,
//   BPM Delay Time): linear over their range;
// - lists (Tempo Lock, Note Value, Tone, Mode, Dotted/Triplet), the bypass
//   and the Tap button: stepped, one step per option (stepCount options - 1),
//   an option's value its index / stepCount.
// A continuous value becomes the decimal its single-precision float shows,
// so 0.3 s sent as normalised comes back as exactly 0.3, as --set time=0.3;
// a normalised value that is itself a float (a host keeping them in single
// precision) becomes the shortest decimal whose normalised value rounds to
// that float, so 0.3 s comes back as 0.3 from such a host too.
#pragma once

#include <cstdint>
#include <optional>

#include "host/runtime/plugindescription.h"

class ParameterScale {
public:
    ParameterScale() = default;
    // [set-up] no allocation.
    explicit ParameterScale(const ParameterInfo& parameter);
    // A stepped control of count options (0 to count - 1); count at least 2.
    static ParameterScale Steps(std::uint32_t count);

    // [any] no allocation, no throw. Values outside the range are clamped.
    double toPlain(double normalised) const;
    double toNormalised(double plain) const;

    // 0 for a continuous control.
    std::int32_t stepCount() const { return steps; }

private:
    enum class Law : std::uint8_t { linear, logarithmic, stepped };
    Law scaleLaw = Law::linear;
    double low = 0.0;
    double high = 1.0;
    std::int32_t steps = 0;
};

// [any] no allocation, no throw. A normalised value as a host sent it,
// brought within 0 to 1 (infinities to the ends); none for NaN, which
// stands for no value.
std::optional<double> HostNormalised(double value);
