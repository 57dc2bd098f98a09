// What the stages of the tape machine carry from one sample to the next.
// VX9Algorithm holds one of each; both kernels step them in place, the
// batched kernel through copies that live in registers for a round.
#pragma once

#include <cstdint>

// One single-precision biquad's history.
struct VX9BiquadState {
    float y1;
    float y2;
    float x1;
    float x2;
};

// Where the playback head is going: the read position's two glide stages,
// the noise generator, the wow oscillator and the flutter filters.
struct VX9HeadMotionState {
    double phaseSmoothed; // read position after both glide stages, 1/512 sample
    double phaseStage1;   // ... after the first
    std::uint32_t rngA;   // the noise generator's two words
    std::uint32_t rngB;
    double wowCos; // the wow oscillator's two components
    double wowSin;
    VX9BiquadState flutterStage2; // coefficients noiseCoeffs
    VX9BiquadState flutterStage1; // coefficients noiseCoeffs2
};

// Between the comb and the oversampler: the tone low-pass, the DC blocker
// and the limiter's envelope.
struct VX9ToneLimiterState {
    double preLimiterDc;
    float toneState;
    float limiterEnvelope;
};

// The band splitter's two integrators at the oversampled rate.
struct VX9SplitterState {
    float svfBand;
    float svfLow;
};

// Between the down-sampler and the tape: the DC blocker and the hiss
// smoother.
struct VX9TapeWriterState {
    double postSaturationDc;
    double hissState;
};

// No padding: two machines' states compare byte for byte.
static_assert(sizeof(VX9HeadMotionState) == 72 && sizeof(VX9ToneLimiterState) == 16 &&
              sizeof(VX9SplitterState) == 8 && sizeof(VX9TapeWriterState) == 16);
