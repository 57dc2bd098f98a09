// The tape's geometry: its length and the playback head's window. The
// algorithm sizes its buffers from it, the controller places the read
// position by it, and the tests find where an echo lands with it.
#pragma once

#include <cstdint>

namespace VX9Tape {
// Taps of the head's fractional read (`interpTaps`); the comb reads the same window.
inline constexpr std::int32_t kInterpTaps = 30;
// Rows of the head's table: 512 fractional positions + 1.
inline constexpr std::int32_t kInterpRows = 513;
// Half the window (`windowHalf`), in samples.
inline constexpr std::int32_t kWindowHalf = kInterpTaps / 2;
// The window's centre tap (`combCenterOffset`): the head plays a sample
// tapeLength - kCentreTap - phase / 512 iterations after it was written.
inline constexpr std::int32_t kCentreTap = kInterpTaps / 2 - 1;
// Samples beyond two seconds.
inline constexpr std::uint32_t kSpareSamples = 33;

// Two seconds plus the spare samples at an integer rate, in 32-bit
// wrap-around arithmetic (a negative rate gives a length no buffer can have).
constexpr std::int32_t Length(std::int32_t rateSamples)
{
    return static_cast<std::int32_t>(2u * static_cast<std::uint32_t>(rateSamples) + kSpareSamples);
}
} // namespace VX9Tape
