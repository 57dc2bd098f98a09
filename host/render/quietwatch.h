// Where a tail that ends by itself ends: the output followed frame by frame
// against a floor level and the tape hiss.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

#include "renderjob.h"

// A frame is quiet when every channel stays at or below the threshold: the
// rule's floor, or where the tape hiss is louder, 1 dB above the hiss's peak
// over the last holdSeconds. The hiss is what the same setting gives for
// silence, measured on an instance of its own.
class QuietWatch {
public:
    QuietWatch(const QuietTailRule& rule, double sampleRate);

    // Follows one block: output holds frames interleaved frames of channels,
    // hiss the hiss instance's frames, and the input ended before frame
    // tailFrom (frames when it has not). Returns how many of the frames to
    // keep when the tail ends within the block: before the first frame from
    // tailFrom on that follows a quiet run of holdSeconds plus delaySeconds
    // (a run that may have begun before the input ended).
    std::optional<std::size_t> follow(const float* output, std::size_t channels, const float* hiss,
                                      std::size_t frames, std::size_t tailFrom,
                                      double delaySeconds);

    // The threshold at the last frame followed.
    double thresholdDbfs() const;
    bool hissAboveFloor() const { return hissThreshold > floor; }

private:
    double rate;
    double holdSeconds;
    float floor;                                           // linear
    std::uint64_t hissFrames;                              // the hiss's window
    std::deque<std::pair<std::uint64_t, float>> hissPeaks; // falling peaks in the window
    std::uint64_t frame = 0;
    std::uint64_t quietRun = 0;
    float hissThreshold = 0.0f;
};
