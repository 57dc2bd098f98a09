// The block kernel and the record chain (audio thread). Every expression
// keeps the order of operations and the float/double roundings of the
// definition: two builds of this file must produce bit-identical audio.
#include <algorithm>
#include <cmath>

#include "vx9algorithm.h"
#include "vx9numerics.h"

using VX9Math::Clamp;
using VX9Math::TruncInt32;

namespace {
// 1/(2^32 - 1): a noise word read as signed becomes roughly -0.5 .. 0.5.
constexpr double kNoiseScale = 2.3283064370807974e-10;

// Adding and removing 1e-18 around a rounding to float flushes vanishing
// values of the recursive flutter filters to zero.
inline float DenormalGuard(float y)
{
    constexpr double g = static_cast<double>(1e-18f);
    const auto up = static_cast<float>(static_cast<double>(y) + g);
    return static_cast<float>(static_cast<double>(up) - g);
}

inline float Biquad(const VX9BiquadCoeffs& k, VX9BiquadState& s, float x)
{
    const float y = x * k.b0 + s.x1 * k.b1 + s.x2 * k.b2 - s.y1 * k.a1 - s.y2 * k.a2;
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = DenormalGuard(y);
    return s.y1;
}

// Cubic soft clip: -1 -> -1, 1 -> 1, slope 0 at both ends.
inline double SoftClip(double x)
{
    return x * 1.5 - x * 0.5 * x * x;
}

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

        // Read-position glide: two cascaded one-pole smoothers.
        phaseStage1 = (c.phase - phaseStage1) * c.phaseRate + phaseStage1;
        phaseSmoothed = (phaseStage1 - phaseSmoothed) * c.phaseRate + phaseSmoothed;

        // Noise generator: the old word b drives the flutter.
        const std::uint32_t b = rngB;
        rngA ^= b;
        rngB = rngA + b;
        const auto r1 = static_cast<float>(static_cast<std::int32_t>(b) * kNoiseScale);

        const float fl =
            Biquad(f.noiseCoeffs, flutterStage2, Biquad(f.noiseCoeffs2, flutterStage1, r1));

        // Wow: coupled-form oscillator, 2.7 Hz.
        wowCos = wowCos - wowSin * wowCoeff;
        wowSin = wowSin + wowCoeff * wowCos;

        // Playback head: 30-tap fractional read, linear between two table rows.
        const double pos =
            (static_cast<double>(fl) * c.flutterGain + wowSin * c.wowGain) * 512 + phaseSmoothed;
        const std::int32_t p = TruncInt32(pos);
        const std::int32_t row = p & 511;
        const std::int32_t offset = p >> 9;
        const double frac = pos - p;
        std::int32_t start = tapeWrite + offset;
        if (start >= tapeLength)
            start -= tapeLength;
        const float* row0 = interpTable.get() + row * interpTaps;
        const float* row1 = row0 + interpTaps;
        // The window wraps at most once: split it into two straight runs.
        const int first = std::min(interpTaps, tapeLength - start);
        RowPair read;
        Accumulate(read, row0, row1, tape.get() + start, first);
        Accumulate(read, row0 + first, row1 + first, tape.get(), interpTaps - first);
        const double tap = read.a + (read.b - read.a) * frac;

        const double x = static_cast<double>(in[k]) * s.inputGain;
        inPeak = std::max(inPeak, std::fabs(static_cast<float>(x)));

        const auto y = static_cast<float>((x * s.dryGain + tap * s.wetGain) * s.outputGain);
        out[k] = y;
        outPeak = std::max(outPeak, std::fabs(y));

        const double rec = Clamp(tap * s.feedbackGain + x * c.inputRecordGain);
        const double v = RecordChain(rec, c, f, comb);

        const double q = TruncInt32(v * f.quantize) * f.iquantize;
        const double r2 = static_cast<std::int32_t>(rngB) * kNoiseScale;
        hissState = (r2 - hissState) * c.noiseA + hissState;
        tape[tapeWrite] = static_cast<float>(q + hissState * c.noiseGain);
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

    // Comb entry by tape speed, linear between neighbouring columns.
    const double cp = static_cast<double>(combScale) * phaseSmoothed;
    const std::int32_t i = TruncInt32(cp);
    const double fr = cp - i;
    double val[VX9CombTable::kRows];
    for (int r = 0; r < VX9CombTable::kRows; ++r) {
        const double t0 = comb.rows[r][i];
        const double t1 = comb.rows[r][i + 1];
        val[r] = t0 + (t1 - t0) * fr;
    }
    const double a = val[VX9CombTable::kTapDistance];
    const double gain = val[VX9CombTable::kGain];
    const double lowMultiplier = val[VX9CombTable::kLowMultiplier];

    // Feed-forward comb: the tap a samples newer, interpolated, is subtracted.
    const std::int32_t ai = TruncInt32(a);
    const double fa = (a - ai) * 512;
    const std::int32_t row = TruncInt32(fa);
    const double ff = fa - row;
    std::int32_t start = combWrite + combWindowOffset;
    if (start >= n)
        start -= n;
    const float* row0 = interpTable.get() + row * interpTaps;
    RowPair window;
    Accumulate(window, row0, row0 + interpTaps, combRing.get() + start, interpTaps);
    const double ci = window.a + (window.b - window.a) * ff;
    std::int32_t centre = start - ai + combCenterOffset;
    if (centre >= n)
        centre -= n;
    else if (centre < 0)
        centre += n;
    const double combed = Clamp((combRing[centre] - ci * c.combGain) * gain);

    // Tone low-pass.
    toneState = static_cast<float>((combed - toneState) * c.lpA + toneState);
    const double lp = toneState;

    // DC blocker, pre-limiter gain.
    preLimiterDc = lp * f.hpA - f.hpB * preLimiterDc;
    const double pl = Clamp((lp - preLimiterDc) * c.preLimiterGain);

    // Limiter: the envelope chases the overshoot at a speed set by the overshoot.
    const double det = std::max(0.0009, std::fabs(pl) - c.limiterThreshold);
    const double env = limiterEnvelope;
    limiterEnvelope = static_cast<float>(env + limiterRate * det * (det - env));
    const double lim = Clamp((1.0 - limiterEnvelope) * pl * c.limiterMakeup);

    // Crank: amplitude wobble tied to the wow oscillator.
    const double m = Clamp(2 * wowCos) * f.crankC + f.crank1C;
    resampler.PushUp(lim * m * 0.625);

    // Three-band saturation at the oversampled rate.
    const double olderSamples = resampler.DecimateBegin();
    for (int j = 0; j < oversampling; ++j) {
        const double uj = resampler.Interpolate(j);
        svfLow = static_cast<float>(svfBand * f.f + svfLow);
        const double uc = Clamp(uj);
        const double h = svfLow * f.oneOverQ + svfBand - uc;
        svfBand = static_cast<float>(h * f.nfq + svfBand);
        const double lo = Clamp(svfLow * c.lowDrive + c.lowDC);
        const double mid = Clamp(svfBand * c.midDrive + c.midDC);
        const double hi = Clamp(Clamp(h * c.highDrive) - c.highDC);
        resampler.PushDown(Clamp((SoftClip(lo) * lowMultiplier * c.lowSum +
                                  SoftClip(mid) * c.midSum + SoftClip(hi) * c.highSum) *
                                 0.5));
    }
    const double d = resampler.DecimateEnd(olderSamples);

    // DC blocker after the saturation, then the gated gain glide.
    postSaturationDc = d * f.hpA - f.hpB * postSaturationDc;
    const double y2 = d - postSaturationDc;
    c.gatedPostDistortionGain = c.gatedPostDistortionGain +
                                (c.postDistortionGain - c.gatedPostDistortionGain) * f.hpA * 0.01;
    return Clamp(y2 * c.gatedPostDistortionGain);
}
