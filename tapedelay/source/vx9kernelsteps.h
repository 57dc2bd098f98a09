// The per-sample steps of the tape machine, shared by the plain kernel and
// the batched one so that both compute every value with the same operations
// in the same order, with the same float/double roundings.
//
// Every step is always inlined: the batched kernel is compiled once per
// instruction set, and an out-of-line copy built for one set must never be
// the one another caller links to.
#pragma once

#include <cstdint>
#include <type_traits>

#include "vx9algorithm.h"
#include "vx9coeffs.h"
#include "vx9numerics.h"

#define VX9_STEP [[gnu::always_inline]] inline

namespace VX9Steps {

// 1/(2^32 - 1): a noise word read as signed becomes roughly -0.5 .. 0.5.
inline constexpr double kNoiseScale = 2.3283064370807974e-10;

// Adding and removing 1e-18 around a rounding to float flushes vanishing
// values of the recursive flutter filters to zero.
VX9_STEP float DenormalGuard(float y)
{
    constexpr double g = static_cast<double>(1e-18f);
    const auto up = static_cast<float>(static_cast<double>(y) + g);
    return static_cast<float>(static_cast<double>(up) - g);
}

VX9_STEP float Biquad(const VX9BiquadCoeffs& k, VX9BiquadState& s, float x)
{
    const float y = x * k.b0 + s.x1 * k.b1 + s.x2 * k.b2 - s.y1 * k.a1 - s.y2 * k.a2;
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = DenormalGuard(y);
    return s.y1;
}

// Read-position glide: two cascaded one-pole smoothers.
VX9_STEP void Glide(const VX9Coeffs& c, double& stage1, double& smoothed)
{
    stage1 = (c.phase - stage1) * c.phaseRate + stage1;
    smoothed = (stage1 - smoothed) * c.phaseRate + smoothed;
}

// One step of the noise generator; returns the word before the step.
VX9_STEP std::uint32_t NoiseStep(std::uint32_t& a, std::uint32_t& b)
{
    const std::uint32_t old = b;
    a ^= old;
    b = a + old;
    return old;
}

// A noise word read as signed, scaled to about -0.5 .. 0.5.
VX9_STEP double NoiseValue(std::uint32_t word)
{
    return static_cast<std::int32_t>(word) * kNoiseScale;
}

// Flutter: the noise word through two biquads.
VX9_STEP float Flutter(const VX9AtomicCoeffs& f, VX9BiquadState& stage1, VX9BiquadState& stage2,
                       std::uint32_t word)
{
    const auto r1 = static_cast<float>(NoiseValue(word));
    return Biquad(f.noiseCoeffs, stage2, Biquad(f.noiseCoeffs2, stage1, r1));
}

// Wow: coupled-form oscillator.
VX9_STEP void Wow(double coeff, double& cosine, double& sine)
{
    cosine = cosine - sine * coeff;
    sine = sine + coeff * cosine;
}

// The playback head's place: the position in 1/512 sample split into the
// table row, the whole samples and the fraction between two rows.
struct HeadPlace {
    std::int32_t row;
    std::int32_t offset;
    double frac;
};

VX9_STEP HeadPlace PlaceHead(const VX9Coeffs& c, float flutter, double wowSine, double phase)
{
    const double pos =
        (static_cast<double>(flutter) * c.flutterGain + wowSine * c.wowGain) * 512 + phase;
    const std::int32_t p = VX9Math::TruncInt32(pos);
    return {p & 511, p >> 9, pos - p};
}

// Start of a window that begins `offset` samples after `index` on a ring of
// `length`.
VX9_STEP std::int32_t RingStart(std::int32_t index, std::int32_t offset, std::int32_t length)
{
    std::int32_t start = index + offset;
    if (start >= length)
        start -= length;
    return start;
}

// Linear between two table rows' dot products (one sample, or one per lane).
template <class Sums, class Fraction>
VX9_STEP Sums Between(Sums a, Sums b, Fraction frac)
{
    return a + (b - a) * frac;
}

// min with 1.0, then max with -1.0, for one value or for each lane.
template <class V>
VX9_STEP V ClampEach(V v)
{
    if constexpr (std::is_same_v<V, double>) {
        return VX9Math::Clamp(v);
    } else {
        const V one = V{} + 1.0;
        const V minusOne = V{} - 1.0;
        const V upper = v < one ? v : one;
        return upper > minusOne ? upper : minusOne;
    }
}

// The output before its rounding to float: dry input plus the tape, after
// the output gain (for one sample, or one per lane).
template <class V>
VX9_STEP V MixOutput(V x, V tap, V dryGain, V wetGain, V outputGain)
{
    return (x * dryGain + tap * wetGain) * outputGain;
}

// The record sum: feedback plus input, clamped.
template <class V>
VX9_STEP V RecordSum(V tap, V x, V feedbackGain, const VX9Coeffs& c)
{
    return ClampEach(tap * feedbackGain + x * c.inputRecordGain);
}

// The comb table entry at a read position, linear between neighbouring
// columns.
struct CombEntry {
    double tapDistance;
    double gain;
    double lowMultiplier;
};

VX9_STEP CombEntry LookUpComb(const VX9CombTable& comb, float combScale, double phase)
{
    const double cp = static_cast<double>(combScale) * phase;
    const std::int32_t i = VX9Math::TruncInt32(cp);
    const double fr = cp - i;
    double val[VX9CombTable::kRows];
    for (int r = 0; r < VX9CombTable::kRows; ++r) {
        const double t0 = comb.rows[r][i];
        const double t1 = comb.rows[r][i + 1];
        val[r] = t0 + (t1 - t0) * fr;
    }
    return {val[VX9CombTable::kTapDistance], val[VX9CombTable::kGain],
            val[VX9CombTable::kLowMultiplier]};
}

// The comb's tap distance split into whole samples, the table row and the
// fraction between rows.
struct CombTap {
    std::int32_t whole;
    std::int32_t row;
    double frac;
};

VX9_STEP CombTap SplitCombTap(double distance)
{
    const std::int32_t whole = VX9Math::TruncInt32(distance);
    const double fa = (distance - whole) * 512;
    const std::int32_t row = VX9Math::TruncInt32(fa);
    return {whole, row, fa - row};
}

// The ring index of the comb's older tap: one correction either way.
VX9_STEP std::int32_t CombCentre(std::int32_t start, std::int32_t whole, std::int32_t centreOffset,
                                 std::int32_t length)
{
    std::int32_t centre = start - whole + centreOffset;
    if (centre >= length)
        centre -= length;
    else if (centre < 0)
        centre += length;
    return centre;
}

// Feed-forward comb: the newer, interpolated tap is subtracted (for one
// sample, or a sample per lane).
template <class V>
VX9_STEP V CombOutput(V older, V newer, const VX9Coeffs& c, V gain)
{
    return ClampEach((older - newer * c.combGain) * gain);
}

// The states between the comb and the saturation.
struct ToneLimiterState {
    float tone;
    double preLimiterDc;
    float envelope;
};

// Tone low-pass, DC blocker, pre-limiter gain and limiter: the comb's output
// in, the limited sample out.
VX9_STEP double ToneAndLimit(double combed, ToneLimiterState& s, float limiterRate,
                             const VX9Coeffs& c, const VX9AtomicCoeffs& f)
{
    s.tone = static_cast<float>((combed - s.tone) * c.lpA + s.tone);
    const double lp = s.tone;

    s.preLimiterDc = lp * f.hpA - f.hpB * s.preLimiterDc;
    const double pl = VX9Math::Clamp((lp - s.preLimiterDc) * c.preLimiterGain);

    // The envelope chases the overshoot at a speed set by the overshoot.
    const double overshoot = __builtin_fabs(pl) - c.limiterThreshold;
    const double det = 0.0009 < overshoot ? overshoot : 0.0009;
    const double env = s.envelope;
    s.envelope = static_cast<float>(env + limiterRate * det * (det - env));
    return VX9Math::Clamp((1.0 - s.envelope) * pl * c.limiterMakeup);
}

// Crank: amplitude wobble tied to the wow oscillator; gives the sample for
// the oversampler.
template <class V>
VX9_STEP V Crank(V limited, V wowCosine, const VX9AtomicCoeffs& f)
{
    const V m = ClampEach(2.0 * wowCosine) * f.crankC + f.crank1C;
    return limited * m * 0.625;
}

// Cubic soft clip: -1 -> -1, 1 -> 1, slope 0 at both ends.
template <class V>
VX9_STEP V SoftClip(V x)
{
    return x * 1.5 - x * 0.5 * x * x;
}

// The band splitter's recursion over one oversampled sample: updates the
// low and band states and returns the high band.
VX9_STEP double SplitBands(double u, float& low, float& band, const VX9AtomicCoeffs& f)
{
    low = static_cast<float>(band * f.f + low);
    const double uc = VX9Math::Clamp(u);
    const double h = low * f.oneOverQ + band - uc;
    band = static_cast<float>(h * f.nfq + band);
    return h;
}

// The three bands after the split, saturated and summed: for one sample, or
// for one sample per lane.
template <class V>
VX9_STEP V SaturateBands(V low, V band, V high, V lowMultiplier, const VX9Coeffs& c)
{
    const V lo = ClampEach(low * c.lowDrive + c.lowDC);
    const V mid = ClampEach(band * c.midDrive + c.midDC);
    const V hi = ClampEach(ClampEach(high * c.highDrive) - c.highDC);
    return ClampEach((SoftClip(lo) * lowMultiplier * c.lowSum + SoftClip(mid) * c.midSum +
                      SoftClip(hi) * c.highSum) *
                     0.5);
}

// DC blocker after the saturation, then the gated gain glide (its state
// lives in the coefficients).
VX9_STEP double FinishRecord(double d, double& postSaturationDc, double& gatedGain,
                             const VX9Coeffs& c, const VX9AtomicCoeffs& f)
{
    postSaturationDc = d * f.hpA - f.hpB * postSaturationDc;
    const double y2 = d - postSaturationDc;
    gatedGain = gatedGain + (c.postDistortionGain - gatedGain) * f.hpA * 0.01;
    return VX9Math::Clamp(y2 * gatedGain);
}

// The value written to the tape: quantised, plus hiss smoothed from the
// noise word after this sample's step.
VX9_STEP float TapeSample(double v, std::uint32_t word, double& hissState, const VX9Coeffs& c,
                          const VX9AtomicCoeffs& f)
{
    const double q = VX9Math::TruncInt32(v * f.quantize) * f.iquantize;
    hissState = (NoiseValue(word) - hissState) * c.noiseA + hissState;
    return static_cast<float>(q + hissState * c.noiseGain);
}

} // namespace VX9Steps

#undef VX9_STEP
