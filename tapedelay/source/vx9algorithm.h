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
#include "tapedelay/source/kernel/vx9fastscratch.h"
#include "tapedelay/source/kernel/vx9kernel.h"
#include "tapedelay/source/kernel/vx9stagestates.h"
#include "updownsampler.h"
#include "vx9coeffs.h"
#include "vx9tape.h"

// An owned array of floats that starts zeroed. Backed by calloc, so a huge
// request either fails or costs only address space until it is written.
struct VX9FreeDeleter {
    void operator()(float* p) const;
};
using VX9FloatArray = std::unique_ptr<float[], VX9FreeDeleter>;

struct VX9Algorithm final : HuxAlgorithm<VX9Algorithm> {
    static constexpr int kInterpRows = VX9Tape::kInterpRows;
    static constexpr std::uint32_t kSeedA = 0x67452301;
    static constexpr std::uint32_t kSeedB = 0xEFCDAB89;

    virtual ~VX9Algorithm();

    ProcessMember SetupAlgorithm(const HuxSetup& setup) override;
    void ResetAlgorithm(HuxCoeffHandle& coeffs) override;

    // The block routine (audio thread): one block through the chosen kernel
    // (`routine`). Every kernel gives the same audio.
    void Process(std::uint64_t reserved1, std::uint32_t frameCount, std::uint64_t reserved2,
                 const float* const* inputs, std::int32_t reserved3, float* const* outputs,
                 HuxCoeffHandle& coeffs);

    // Routes the following blocks through `requested`, or through the widest
    // batched kernel when this processor cannot run it (after settling the
    // kernel it leaves). Set-up chooses by the environment
    // (kVX9KernelVariable); this is for comparisons.
    void SelectKernel(VX9Kernel requested);

    // Brings the state below up to the last sample processed: the batched
    // kernel leaves the band split and tape write of a block's last samples
    // to the next block (its carry in fastScratch), so until then the tape,
    // its write index, the band splitter, the tape writer and the
    // decimator's history lag behind; and while its blocks go on in its
    // scratch it keeps the comb ring and the oversampler's histories
    // there. For comparisons of the state.
    void Settle();

    VX9HeadMotionState headMotion{};
    VX9FloatArray tape;        // tapeLength samples, circular
    std::int32_t tapeLength{}; // VX9Tape::Length of the rate
    std::int32_t tapeWrite{};
    VX9FloatArray combRing; // mirrored: sample i also at i + combRingLength
    std::int32_t combWrite{};
    std::int32_t combCenterOffset{};
    std::int32_t combRingLength{};
    std::int32_t combWindowOffset{};
    float combScale = 1.0f; // phaseSmoothed to comb-table column
    VX9SplitterState splitter{};
    VX9ToneLimiterState toneLimiter{};
    VX9TapeWriterState tapeWriter{};
    double wowCoeff{};
    VX9FloatArray interpTable; // kInterpRows rows of interpTaps
    std::int32_t interpTaps{};
    float limiterRate{};
    UpDownSampler resampler;
    std::int32_t oversampling{};
    VX9Kernel kernel = VX9Kernel::kPlain; // the kernel blocks go through
    VX9KernelRoutine routine = &ProcessPlain;
    std::unique_ptr<VX9FastScratch> fastScratch;
};
