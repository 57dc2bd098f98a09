// The three sample-rate brackets the tape model is voiced for. Shared by the
// algorithm (buffer sizes) and the controller (filter designs).
#pragma once

#include <cstdint>

// The largest ring and factor of any bracket, and the shortest ring.
inline constexpr std::int32_t kLongestCombRing = 50;
inline constexpr std::int32_t kHighestOversampling = 3;
inline constexpr std::int32_t kShortestCombRing = 30;

struct VX9RateBracket {
    std::int32_t combRingLength;
    std::int32_t oversampling;
};

// The bracket of an integer rate, compared as unsigned so that a negative
// rate lands outside every bracket. Throws std::runtime_error
// "unrecognized sample rate" above 204000 Hz.
VX9RateBracket RateBracket(std::int32_t rate);

// Far below host rates the playback head would run off the tape: rates
// under 11025 Hz (and negative ones) throw "unrecognized sample rate".
void RequireLowestRate(std::int32_t rate);

// The oversampling factor of an integer rate: 3 up to 51000 Hz, 2 up to
// 102000 Hz, 1 up to 204000 Hz; throws like RateBracket otherwise.
std::int32_t OversamplingFactor(std::int32_t rate);
