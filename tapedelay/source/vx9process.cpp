// The plain block kernel: one sample at a time through the whole machine, in
// the order of the definition. It is the reference the batched kernel is
// checked against, and the kernel of last resort.
#include <algorithm>
#include <cmath>

#include "vx9algorithm.h"
#include "vx9kernelsteps.h"

using namespace VX9Steps;

namespace {
// Two dot products of one window of samples with two neighbouring table rows.
struct RowPair {
    double a = 0.0;
    double b = 0.0;
};

inline void Accumulate(RowPair& sum, const float* row0, const float* row1, const float* samples,
                       int count)
{
    for (int j = 0; j < count; ++j) {
        const double s = samples[j];
        sum.a += static_cast<double>(row0[j]) * s;
        sum.b += static_cast<double>(row1[j]) * s;
    }
}
} // namespace

void VX9Algorithm::Process(std::uint64_t, std::uint32_t frameCount, std::uint64_t,
                           const float* const* inputs, std::int32_t, float* const* outputs,
                           HuxCoeffHandle& coeffs)
{
    if (frameCount == 0)
        return;
    const auto& pack = *static_cast<const VX9CoeffPack*>(coeffs);
    const VX9SmoothedCoeffs* smoothed = pack.smoothed;
    VX9Coeffs& c = *pack.coeffs;
    const VX9AtomicCoeffs& f = *pack.atomic;
    const VX9CombTable& comb = *pack.comb;
    const float* in = inputs[0];
    float* out = outputs[0];
    float* meters = meterOutput;
    float inPeak = meters ? meters[0] : 0.0f;
    float outPeak = meters ? meters[1] : 0.0f;

    for (std::uint32_t k = 0; k < frameCount; ++k) {
        const VX9SmoothedCoeffs& s = smoothed[k + 1];

        Glide(c, phaseStage1, phaseSmoothed);
        // The old word drives the flutter.
        const float fl = Flutter(f, flutterStage1, flutterStage2, NoiseStep(rngA, rngB));
        Wow(wowCoeff, wowCos, wowSin);

        // Playback head: 30-tap fractional read, linear between two table rows.
        const HeadPlace head = PlaceHead(c, fl, wowSin, phaseSmoothed);
        const std::int32_t start = RingStart(tapeWrite, head.offset, tapeLength);
        const float* row0 = interpTable.get() + head.row * interpTaps;
        const float* row1 = row0 + interpTaps;
        // The window wraps at most once: split it into two straight runs.
        const int first = std::min(interpTaps, tapeLength - start);
        RowPair read;
        Accumulate(read, row0, row1, tape.get() + start, first);
        Accumulate(read, row0 + first, row1 + first, tape.get(), interpTaps - first);
        const double tap = Between(read.a, read.b, head.frac);

        const double x = static_cast<double>(in[k]) * s.inputGain;
        inPeak = std::max(inPeak, std::fabs(static_cast<float>(x)));

        const auto y = static_cast<float>(MixOutput(x, tap, s.dryGain, s.wetGain, s.outputGain));
        out[k] = y;
        outPeak = std::max(outPeak, std::fabs(y));

        const double v = RecordChain(RecordSum(tap, x, s.feedbackGain, c), c, f, comb);
        // The hiss takes the word after this sample's step.
        tape[tapeWrite] = TapeSample(v, rngB, hissState, c, f);
        if (++tapeWrite == tapeLength)
            tapeWrite = 0;
    }

    if (meters) {
        meters[0] = inPeak;
        meters[1] = outPeak;
    }
}

double VX9Algorithm::RecordChain(double rec, VX9Coeffs& c, const VX9AtomicCoeffs& f,
                                 const VX9CombTable& comb)
{
    const std::int32_t n = combRingLength;

    // Mirrored ring: the 30-sample window never wraps inside the dot product.
    combRing[combWrite] = static_cast<float>(rec);
    combRing[combWrite + n] = static_cast<float>(rec);
    if (++combWrite == n)
        combWrite = 0;

    // Feed-forward comb whose spacing follows the tape speed.
    const CombEntry entry = LookUpComb(comb, combScale, phaseSmoothed);
    const CombTap tap = SplitCombTap(entry.tapDistance);
    const std::int32_t start = RingStart(combWrite, combWindowOffset, n);
    const float* row0 = interpTable.get() + tap.row * interpTaps;
    RowPair window;
    Accumulate(window, row0, row0 + interpTaps, combRing.get() + start, interpTaps);
    const double ci = Between(window.a, window.b, tap.frac);
    const std::int32_t centre = CombCentre(start, tap.whole, combCenterOffset, n);
    const double combed = CombOutput(static_cast<double>(combRing[centre]), ci, c, entry.gain);

    ToneLimiterState tone{toneState, preLimiterDc, limiterEnvelope};
    resampler.PushUp(Crank(ToneAndLimit(combed, tone, limiterRate, c, f), wowCos, f));
    toneState = tone.tone;
    preLimiterDc = tone.preLimiterDc;
    limiterEnvelope = tone.envelope;

    // Three-band saturation at the oversampled rate.
    const double olderSamples = resampler.DecimateBegin();
    for (int j = 0; j < oversampling; ++j) {
        const double high = SplitBands(resampler.Interpolate(j), svfLow, svfBand, f);
        resampler.PushDown(SaturateBands<double>(svfLow, svfBand, high, entry.lowMultiplier, c));
    }
    const double d = resampler.DecimateEnd(olderSamples);

    return FinishRecord(d, postSaturationDc, c.gatedPostDistortionGain, c, f);
}
