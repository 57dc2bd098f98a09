#include "vx9algorithm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>

#include "sincdesign.h"
#include "tapedelay/source/kernel/vx9simd.h"
#include "vx9ratebracket.h"
#include "vx9tape.h"

void VX9FreeDeleter::operator()(float* p) const
{
    std::free(p);
}

namespace {
// count floats, all 0.0; a negative count or a failed request throws
// std::bad_alloc.
VX9FloatArray ZeroedFloats(std::int64_t count)
{
    if (count < 0)
        throw std::bad_array_new_length();
    auto* p = static_cast<float*>(std::calloc(static_cast<std::size_t>(count), sizeof(float)));
    if (p == nullptr && count > 0)
        throw std::bad_alloc();
    return VX9FloatArray(p);
}
} // namespace

VX9Algorithm::~VX9Algorithm()
{
    // The tables go first, then the resampler's arrays and the base's filters.
    interpTable.reset();
    tape.reset();
    combRing.reset();
}

VX9Algorithm::ProcessMember VX9Algorithm::SetupAlgorithm(const HuxSetup& setup)
{
    const float fs = setup.sampleRate;
    const std::int32_t n = VX9Math::TruncInt32(fs);

    headMotion.rngA = kSeedA;
    headMotion.rngB = kSeedB;

    // A negative length fails as an allocation failure.
    tapeLength = VX9Tape::Length(n);
    tape = ZeroedFloats(tapeLength);
    tapeWrite = 0;

    interpTaps = VX9Tape::kInterpTaps;

    RequireLowestRate(n);
    const VX9RateBracket bracket = RateBracket(n);

    combRingLength = bracket.combRingLength;
    combRing = ZeroedFloats(2 * combRingLength);
    combWindowOffset = combRingLength - interpTaps;
    combCenterOffset = VX9Tape::kCentreTap;

    const auto r = static_cast<float>(44100.0 / fs);
    combScale = static_cast<float>(std::pow(2.0, -22.0) * r);

    interpTable = ZeroedFloats(kInterpRows * interpTaps);
    for (int k = 0; k < kInterpRows; ++k)
        DesignSincRow(interpTable.get() + k * interpTaps, k * 0.001953125, interpTaps, 0.96f);
    // The head loses a little level on every pass.
    for (int i = 0; i < kInterpRows * interpTaps; ++i)
        interpTable[i] = static_cast<float>(interpTable[i] * 0.93);

    headMotion.wowCos = 0.5;
    headMotion.wowSin = 0.0;
    // 2 sin(pi f / fs) for f = 2.7 Hz, cut to a multiple of 2^-23.
    constexpr double pi = std::numbers::pi;
    wowCoeff =
        VX9Math::TruncInt32(2.0 * std::sin((3.0 * pi / fs) * 0.9) * 8388608.0) * (1.0 / 8388608.0);

    oversampling = OversamplingFactor(n);
    resampler.Init(oversampling, 0.88);

    limiterRate = static_cast<float>(std::pow(44100.0 / fs, 0.5) * 0.1);

    // The batched kernel's working memory (make_unique zeroes it), with the
    // table by pairs of rows.
    if (!fastScratch)
        fastScratch = std::make_unique<VX9FastScratch>();
    fastScratch->carry = {};
    for (int k = 0; k + 1 < kInterpRows; ++k)
        for (int j = 0; j < interpTaps; ++j) {
            float* entry = fastScratch->rowPairs[k] + VX9FastScratch::PairIndex(j);
            entry[0] = interpTable[k * interpTaps + j];
            entry[VX9FastScratch::kPass] = interpTable[(k + 1) * interpTaps + j];
        }
    for (VX9FastScratch::WideRowPair& pair : fastScratch->wide)
        pair.row = -1;
    kernel = ChooseKernel(std::getenv(kVX9KernelVariable));
    routine = KernelRoutine(kernel);
    return &VX9Algorithm::Process;
}

void VX9Algorithm::SelectKernel(VX9Kernel requested)
{
    Settle();
    kernel = ChooseKernel(KernelName(requested));
    routine = KernelRoutine(kernel);
}

void VX9Algorithm::Settle()
{
    SettleRoutine(kernel)(*this);
    // Another kernel may move the state on before the next batched block.
    if (fastScratch)
        fastScratch->carry = {};
}

void VX9Algorithm::Process(std::uint64_t, std::uint32_t frameCount, std::uint64_t,
                           const float* const* inputs, std::int32_t, float* const* outputs,
                           HuxCoeffHandle& coeffs)
{
    if (frameCount == 0)
        return;
    routine(*this, frameCount, inputs[0], outputs[0], *static_cast<const VX9CoeffPack*>(coeffs),
            meterOutput);
}

void VX9Algorithm::ResetAlgorithm(HuxCoeffHandle& coeffs)
{
    const VX9Coeffs& c = *static_cast<const VX9CoeffPack*>(coeffs)->coeffs;
    // Silence everywhere; the head starts at its target, the noise generator
    // at its seeds, the wow oscillator at its starting phase and the hiss
    // smoother at its own coefficient.
    headMotion = {c.phase, c.phase, kSeedA, kSeedB, 0.5, 0.0, {}, {}};
    splitter = {};
    toneLimiter = {};
    tapeWriter = {0.0, c.noiseA};
    if (tape && tapeLength > 0)
        std::fill_n(tape.get(), tapeLength, 0.0f);
    if (combRing && combRingLength > 0)
        std::fill_n(combRing.get(), 2 * combRingLength, 0.0f);
    resampler.Reset();
    combWrite = 0;
    tapeWrite = 0;
    if (fastScratch)
        fastScratch->carry = {};
}
