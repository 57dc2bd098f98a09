// The plain block kernel: one sample at a time through the whole machine, in
// the order of the definition. It is the reference the batched kernel is
// checked against, and the kernel of last resort.
#include <algorithm>
#include <cmath>

#include "tapedelay/source/kernel/vx9kernelsteps.h"
#include "tapedelay/source/vx9algorithm.h"

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

// The stages' states for one block, held apart from the algorithm: stores
// into the tape and the rings then cannot alias them.
struct Stages {
    VX9HeadMotionState head;
    VX9ToneLimiterState toneLimiter;
    VX9SplitterState splitter;
    VX9TapeWriterState tapeWriter;
};

// The record chain of one sample: the record sum in, the value for the tape
// (before quantisation and hiss) out.
double RecordChain(VX9Algorithm& a, Stages& st, double rec, VX9Coeffs& c, const VX9AtomicCoeffs& f,
                   const VX9CombTable& comb)
{
    const std::int32_t n = a.combRingLength;
    float* ring = a.combRing.get();

    // Mirrored ring: the 30-sample window never wraps inside the dot product.
    ring[a.combWrite] = static_cast<float>(rec);
    ring[a.combWrite + n] = static_cast<float>(rec);
    if (++a.combWrite == n)
        a.combWrite = 0;

    // Feed-forward comb whose spacing follows the tape speed.
    const CombEntry<double> entry = LookUpComb(comb, a.combScale, st.head.phaseSmoothed);
    const auto tap = SplitCombTap(entry.tapDistance);
    const std::int32_t start = RingStart(a.combWrite, a.combWindowOffset, n);
    const float* row0 = a.interpTable.get() + tap.row * a.interpTaps;
    RowPair window;
    Accumulate(window, row0, row0 + a.interpTaps, ring + start, a.interpTaps);
    const double ci = Between(window.a, window.b, tap.frac);
    const std::int32_t centre = CombCentre(start, tap.whole, a.combCenterOffset, n);
    const double combed = CombOutput(static_cast<double>(ring[centre]), ci, c, entry.gain);

    const double limited = ToneAndLimit(combed, st.toneLimiter, a.limiterRate, c, f);
    a.resampler.PushUp(Crank(limited, st.head.wowCos, f));

    // Three-band saturation at the oversampled rate.
    const double olderSamples = a.resampler.DecimateBegin();
    for (int j = 0; j < a.oversampling; ++j) {
        const double high = SplitBands(a.resampler.Interpolate(j), st.splitter, f);
        a.resampler.PushDown(SaturateBands<double>(st.splitter.svfLow, st.splitter.svfBand, high,
                                                   entry.lowMultiplier, c));
    }
    const double d = a.resampler.DecimateEnd(olderSamples);

    c.gatedPostDistortionGain = GlideGate(c.gatedPostDistortionGain, c, f);
    return FinishRecord(d, st.tapeWriter, c.gatedPostDistortionGain, f);
}
} // namespace

void ProcessPlain(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                  const VX9CoeffPack& coeffs, float* meters)
{
    const VX9SmoothedCoeffs* smoothed = coeffs.smoothed;
    VX9Coeffs& c = *coeffs.coeffs;
    const VX9AtomicCoeffs& f = *coeffs.atomic;
    const VX9CombTable& comb = *coeffs.comb;
    const float* tape = a.tape.get();
    const std::int32_t taps = a.interpTaps;
    float inPeak = meters ? meters[0] : 0.0f;
    float outPeak = meters ? meters[1] : 0.0f;
    Stages st{a.headMotion, a.toneLimiter, a.splitter, a.tapeWriter};

    for (std::uint32_t k = 0; k < frameCount; ++k) {
        const VX9SmoothedCoeffs& s = smoothed[k + 1];

        // Playback head: 30-tap fractional read, linear between two table rows.
        const HeadPlace head = MoveHead(c, f, a.wowCoeff, st.head);
        const std::int32_t start = RingStart(a.tapeWrite, head.offset, a.tapeLength);
        const float* row0 = a.interpTable.get() + head.row * taps;
        const float* row1 = row0 + taps;
        // The window wraps at most once: split it into two straight runs.
        const int first = std::min(taps, a.tapeLength - start);
        RowPair read;
        Accumulate(read, row0, row1, tape + start, first);
        Accumulate(read, row0 + first, row1 + first, tape, taps - first);
        const double tap = Between(read.a, read.b, head.frac);

        const double x = static_cast<double>(in[k]) * s.inputGain;
        inPeak = std::max(inPeak, std::fabs(static_cast<float>(x)));

        const auto y = static_cast<float>(MixOutput(x, tap, s.dryGain, s.wetGain, s.outputGain));
        out[k] = y;
        outPeak = std::max(outPeak, std::fabs(y));

        const double v = RecordChain(a, st, RecordSum(tap, x, s.feedbackGain, c), c, f, comb);
        // The hiss takes the word after this sample's step.
        a.tape[a.tapeWrite] = TapeSample(v, st.head.rngB, st.tapeWriter, c, f);
        if (++a.tapeWrite == a.tapeLength)
            a.tapeWrite = 0;
    }

    a.headMotion = st.head;
    a.toneLimiter = st.toneLimiter;
    a.splitter = st.splitter;
    a.tapeWriter = st.tapeWriter;
    if (meters) {
        meters[0] = inPeak;
        meters[1] = outPeak;
    }
}
