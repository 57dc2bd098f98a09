// The tape delay's audio algorithm: a two-second tape loop read by a gliding,
// wobbling playback head, with the record chain (comb colouring, tone,
// limiter, oversampled saturation) between the record sum and the tape.
//
// SetupAlgorithm and ResetAlgorithm run on the control thread and own every
// allocation; Process runs on the audio thread and allocates, locks and
// throws nothing. The state is public so that tests can inspect it.
#pragma once

#include <cstdint>
#include <memory>

#include "hux/public/plugin/hux.h"
#include "updownsampler.h"
#include "vx9coeffs.h"
#include "vx9fastscratch.h"
#include "vx9kernel.h"
#include "vx9tape.h"

// An owned array of floats that starts zeroed. Backed by calloc, so a huge
// request either fails or costs only address space until it is written.
struct VX9FreeDeleter {
    void operator()(float* p) const;
};
using VX9FloatArray = std::unique_ptr<float[], VX9FreeDeleter>;

// One single-precision biquad's history.
struct VX9BiquadState {
    float y1;
    float y2;
    float x1;
    float x2;
};

struct VX9Algorithm final : HuxAlgorithm<VX9Algorithm> {
    static constexpr int kInterpRows = VX9Tape::kInterpRows;
    static constexpr std::uint32_t kSeedA = 0x67452301;
    static constexpr std::uint32_t kSeedB = 0xEFCDAB89;

    virtual ~VX9Algorithm();

    ProcessMember SetupAlgorithm(const HuxSetup& setup) override;
    void ResetAlgorithm(HuxCoeffHandle& coeffs) override;

    // The block routines (audio thread): the plain kernel, and the batched
    // kernel built for each instruction set. All give the same audio.
    void Process(std::uint64_t reserved1, std::uint32_t frameCount, std::uint64_t reserved2,
                 const float* const* inputs, std::int32_t reserved3, float* const* outputs,
                 HuxCoeffHandle& coeffs);
    void ProcessFastBaseline(std::uint64_t reserved1, std::uint32_t frameCount,
                             std::uint64_t reserved2, const float* const* inputs,
                             std::int32_t reserved3, float* const* outputs, HuxCoeffHandle& coeffs);
    void ProcessFastAvx2(std::uint64_t reserved1, std::uint32_t frameCount, std::uint64_t reserved2,
                         const float* const* inputs, std::int32_t reserved3, float* const* outputs,
                         HuxCoeffHandle& coeffs);
    void ProcessFastAvx512(std::uint64_t reserved1, std::uint32_t frameCount,
                           std::uint64_t reserved2, const float* const* inputs,
                           std::int32_t reserved3, float* const* outputs, HuxCoeffHandle& coeffs);

    // Routes the following blocks through `requested`, or through the widest
    // batched kernel when this processor cannot run it. Set-up chooses by the
    // environment (kVX9KernelVariable); this is for comparisons.
    void SelectKernel(VX9Kernel requested);

    double phaseSmoothed{}; // read position after both glide stages, 1/512 sample
    double phaseStage1{};
    VX9FloatArray tape;        // tapeLength samples, circular
    std::int32_t tapeLength{}; // VX9Tape::Length of the rate
    std::int32_t tapeWrite{};
    VX9FloatArray combRing; // mirrored: sample i also at i + combRingLength
    std::int32_t combWrite{};
    std::int32_t combCenterOffset{};
    std::int32_t combRingLength{};
    std::int32_t combWindowOffset{};
    float combScale = 1.0f; // phaseSmoothed to comb-table column
    float svfBand{};
    float svfLow{};
    float toneState{};
    std::uint32_t rngA{};
    std::uint32_t rngB{};
    double hissState{};
    double wowCos{};
    double wowSin{};
    double wowCoeff{};
    double preLimiterDc{};
    double postSaturationDc{};
    VX9FloatArray interpTable; // kInterpRows rows of interpTaps
    std::int32_t interpTaps{};
    float limiterEnvelope{};
    float limiterRate{};
    UpDownSampler resampler;
    std::int32_t oversampling{};
    VX9BiquadState flutterStage2{};
    VX9BiquadState flutterStage1{};
    VX9Kernel kernel = VX9Kernel::kPlain; // the routine blocks go through
    std::unique_ptr<VX9FastScratch> fastScratch;

private:
    double RecordChain(double rec, VX9Coeffs& c, const VX9AtomicCoeffs& f,
                       const VX9CombTable& comb);
};
