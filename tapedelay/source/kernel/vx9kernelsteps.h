// The per-sample steps of the tape machine, shared by the plain kernel and
// the batched one so that both compute every value with the same operations
// in the same order, with the same float/double roundings.
//
// Every step is always inlined: the batched kernel is compiled once per
// instruction set, and an out-of-line copy built for one set must never be
// the one another caller links to.
#pragma once

#include <cstdint>

#include "tapedelay/source/kernel/vx9simd.h"
#include "tapedelay/source/kernel/vx9stagestates.h"
#include "tapedelay/source/vx9coeffs.h"

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

// One sample's motion of the head: the glide, the noise generator's step
// (its old word drives the flutter), the wow, and where the head reads.
VX9_STEP HeadPlace MoveHead(const VX9Coeffs& c, const VX9AtomicCoeffs& f, double wowCoeff,
                            VX9HeadMotionState& m)
{
    Glide(c, m.phaseStage1, m.phaseSmoothed);
    const float flutter = Flutter(f, m.flutterStage1, m.flutterStage2, NoiseStep(m.rngA, m.rngB));
    Wow(wowCoeff, m.wowCos, m.wowSin);
    return PlaceHead(c, flutter, m.wowSin, m.phaseSmoothed);
}

// Start of a window that begins `offset` samples after `index` on a ring of
// `length` (for one index, or one per lane).
template <class I>
VX9_STEP I RingStart(I index, std::int32_t offset, std::int32_t length)
{
    const I start = index + offset;
    return start >= length ? start - length : start;
}

// Linear between two table rows' dot products (one sample, or one per lane).
template <class Sums, class Fraction>
VX9_STEP Sums Between(Sums a, Sums b, Fraction frac)
{
    return a + (b - a) * frac;
}

// min with 1.0, then max with -1.0, for one value or for each lane.
VX9_STEP double ClampEach(double v)
{
    return VX9Math::Clamp(v);
}

VX9_STEP Doubles ClampEach(Doubles v)
{
    return ClampLanes(v);
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

// Truncation toward zero, and back to double: of one value, or of each
// lane.
VX9_STEP std::int32_t TruncEach(double v)
{
    return VX9Math::TruncInt32(v);
}

VX9_STEP Ints TruncEach(Doubles v)
{
    return TruncLanes(v);
}

VX9_STEP double ToDoubleEach(std::int32_t v)
{
    return v;
}

VX9_STEP Doubles ToDoubleEach(Ints v)
{
    return ToDoubles(v);
}

// Columns of the comb table (for one sample, or one per lane) and a row's
// entries at them and at the next columns, widened. The lanes' types are
// templates: each instruction set's lanes are a type of their own.
template <class V>
struct TableNeighbours {
    V t0;
    V t1;
};

VX9_STEP std::int32_t TableColumns(std::int32_t column)
{
    return column;
}

VX9_STEP TableNeighbours<double> Neighbours(const float* row, std::int32_t column)
{
    return {row[column], row[column + 1]};
}

template <class I>
struct LaneColumns {
    I column;
    bool same; // every lane in one column
};

VX9_STEP LaneColumns<Ints> TableColumns(Ints column)
{
    // The position moves slowly: usually every lane is in one column.
    bool same = true;
    for (int l = 1; l < kLanes; ++l)
        same = same && column[l] == column[0];
    return {column, same};
}

VX9_STEP TableNeighbours<Doubles> Neighbours(const float* row, const LaneColumns<Ints>& columns)
{
    const Ints column = columns.column;
    if (columns.same)
        return {Doubles{} + row[column[0]], Doubles{} + row[column[0] + 1]};
    return {Widen(LanesOf<Floats>([&](int l) { return row[column[l]]; })),
            Widen(LanesOf<Floats>([&](int l) { return row[column[l] + 1]; }))};
}

// The comb table entry at a read position, linear between neighbouring
// columns (for one sample, or one per lane).
template <class V>
struct CombEntry {
    V tapDistance;
    V gain;
    V lowMultiplier;
};

template <class V>
VX9_STEP CombEntry<V> LookUpComb(const VX9CombTable& comb, float combScale, V phase)
{
    const V cp = static_cast<double>(combScale) * phase;
    const auto column = TruncEach(cp);
    const V fr = cp - ToDoubleEach(column);
    const auto columns = TableColumns(column);
    V val[VX9CombTable::kRows];
    for (int r = 0; r < VX9CombTable::kRows; ++r) {
        const auto [t0, t1] = Neighbours(comb.rows[r], columns);
        val[r] = t0 + (t1 - t0) * fr;
    }
    return {val[VX9CombTable::kTapDistance], val[VX9CombTable::kGain],
            val[VX9CombTable::kLowMultiplier]};
}

// The comb's tap distance split into whole samples, the table row and the
// fraction between rows (for one sample, or one per lane).
template <class V, class I>
struct CombTap {
    I whole;
    I row;
    V frac;
};

template <class V>
VX9_STEP auto SplitCombTap(V distance)
{
    const auto whole = TruncEach(distance);
    const V fa = (distance - ToDoubleEach(whole)) * 512;
    const auto row = TruncEach(fa);
    return CombTap<V, decltype(row)>{whole, row, fa - ToDoubleEach(row)};
}

// The ring index of the comb's older tap, from the window's start: one
// correction either way (for one sample, or one per lane).
template <class I>
VX9_STEP I CombCentre(I start, I whole, std::int32_t centreOffset, std::int32_t length)
{
    const I centre = start - whole + centreOffset;
    return centre >= length ? centre - length : (centre < 0 ? centre + length : centre);
}

// Feed-forward comb: the newer, interpolated tap is subtracted (for one
// sample, or a sample per lane).
template <class V>
VX9_STEP V CombOutput(V older, V newer, const VX9Coeffs& c, V gain)
{
    return ClampEach((older - newer * c.combGain) * gain);
}

// Tone low-pass, DC blocker, pre-limiter gain and limiter: the comb's output
// in, the limited sample out.
VX9_STEP double ToneAndLimit(double combed, VX9ToneLimiterState& s, float limiterRate,
                             const VX9Coeffs& c, const VX9AtomicCoeffs& f)
{
    s.toneState = static_cast<float>((combed - s.toneState) * c.lpA + s.toneState);
    const double lp = s.toneState;

    s.preLimiterDc = lp * f.hpA - f.hpB * s.preLimiterDc;
    const double pl = VX9Math::Clamp((lp - s.preLimiterDc) * c.preLimiterGain);

    // The envelope chases the overshoot at a speed set by the overshoot.
    const double overshoot = __builtin_fabs(pl) - c.limiterThreshold;
    const double det = 0.0009 < overshoot ? overshoot : 0.0009;
    const double env = s.limiterEnvelope;
    s.limiterEnvelope = static_cast<float>(env + limiterRate * det * (det - env));
    return VX9Math::Clamp((1.0 - s.limiterEnvelope) * pl * c.limiterMakeup);
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
VX9_STEP double SplitBands(double u, VX9SplitterState& s, const VX9AtomicCoeffs& f)
{
    s.svfLow = static_cast<float>(s.svfBand * f.f + s.svfLow);
    const double uc = VX9Math::Clamp(u);
    const double h = s.svfLow * f.oneOverQ + s.svfBand - uc;
    s.svfBand = static_cast<float>(h * f.nfq + s.svfBand);
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

// The gated gain's glide for one sample (its state lives in the
// coefficients). It does not depend on the audio.
VX9_STEP double GlideGate(double gatedGain, const VX9Coeffs& c, const VX9AtomicCoeffs& f)
{
    return gatedGain + (c.postDistortionGain - gatedGain) * f.hpA * 0.01;
}

// DC blocker after the saturation, then the sample's gated gain (after its
// glide).
VX9_STEP double FinishRecord(double d, VX9TapeWriterState& s, double gatedGain,
                             const VX9AtomicCoeffs& f)
{
    s.postSaturationDc = d * f.hpA - f.hpB * s.postSaturationDc;
    const double y2 = d - s.postSaturationDc;
    return VX9Math::Clamp(y2 * gatedGain);
}

// The value written to the tape: quantised, plus hiss smoothed from the
// noise word after this sample's step.
VX9_STEP float TapeSample(double v, std::uint32_t word, VX9TapeWriterState& s, const VX9Coeffs& c,
                          const VX9AtomicCoeffs& f)
{
    const double q = VX9Math::TruncInt32(v * f.quantize) * f.iquantize;
    s.hissState = (NoiseValue(word) - s.hissState) * c.noiseA + s.hissState;
    return static_cast<float>(q + s.hissState * c.noiseGain);
}

} // namespace VX9Steps

#undef VX9_STEP
