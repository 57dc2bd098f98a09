// The batched block kernel: the same machine as the plain kernel, bit for
// bit, computed a chunk of samples at a time.
//
// The tape is read far behind where it is written, so a chunk's tape reads
// need none of the samples written after the chunk is planned: planning ends
// a chunk before the first sample whose window would reach a sample still
// waiting to be written. Each dot product (tape head, comb, interpolation,
// decimation) runs across a chunk with one sample per SIMD lane, every lane
// summing its taps in the defined order. The recursive states stay
// sequential, through the same steps as the plain kernel, in one loop that
// steps four chunks at once: it saturates one chunk while it limits the
// next, plans the one after and writes the previous one to the tape, so the
// long chain of the band splitter hides the others.
//
// Included by one source file per instruction set, each compiled for its
// set. Everything here has internal linkage or is always inlined, so no
// instruction of one set can reach a caller of another.
#pragma once

#include <cstdint>
#include <cstring>
#include <immintrin.h>

#include "vx9algorithm.h"
#include "vx9fastscratch.h"
#include "vx9kernelsteps.h"

namespace {
using namespace VX9Steps;

// Samples per vector: one register of doubles for the instruction set, so
// that the sums stay in registers.
#if defined(__AVX512F__)
constexpr int kLanes = 8;
#elif defined(__AVX2__)
constexpr int kLanes = 4;
#else
constexpr int kLanes = 2;
#endif
constexpr int kTaps = VX9FastScratch::kTaps;
constexpr int kUpTaps = VX9FastScratch::kUpTaps;
constexpr int kRun = VX9FastScratch::kRun;
constexpr int kMaxChunk = VX9FastScratch::kMaxChunk;
static_assert(kMaxChunk % kLanes == 0 && VX9FastScratch::kSpare >= kLanes);

typedef double Doubles __attribute__((vector_size(kLanes * sizeof(double))));
typedef float Floats __attribute__((vector_size(kLanes * sizeof(float))));
typedef std::int32_t Ints __attribute__((vector_size(kLanes * sizeof(std::int32_t))));

#define VX9_LANES [[gnu::always_inline]] inline

// The bytes of v as a To; the rest zero when To is the larger.
template <class To, class From>
VX9_LANES To Bits(const From& v)
{
    To out{};
    std::memcpy(&out, &v, sizeof out < sizeof v ? sizeof out : sizeof v);
    return out;
}

// Floats to doubles in one instruction; the generic conversion takes several.
VX9_LANES Doubles Widen(Floats v)
{
#if defined(__AVX512F__)
    return Bits<Doubles>(_mm512_maskz_cvtps_pd(0xFF, Bits<__m256>(v)));
#elif defined(__AVX2__)
    return Bits<Doubles>(_mm256_cvtps_pd(Bits<__m128>(v)));
#else
    return Bits<Doubles>(_mm_cvtps_pd(Bits<__m128>(v)));
#endif
}

VX9_LANES Doubles LoadWidened(const float* p)
{
    Floats v;
    std::memcpy(&v, p, sizeof v);
    return Widen(v);
}

VX9_LANES Doubles LoadDoubles(const double* p)
{
    Doubles v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

VX9_LANES void StoreDoubles(double* p, Doubles v)
{
    std::memcpy(p, &v, sizeof v);
}

VX9_LANES void StoreFloats(float* p, Floats v)
{
    std::memcpy(p, &v, sizeof v);
}

// Rounded to float, as static_cast<float> rounds each.
VX9_LANES Floats Narrow(Doubles v)
{
    return __builtin_convertvector(v, Floats);
}

VX9_LANES Floats Magnitudes(Floats v)
{
    return Bits<Floats>(Bits<Ints>(v) & 0x7FFFFFFF);
}

int RoundUp(int count, int step)
{
    return (count + step - 1) / step * step;
}

// A run of samples [first, first + count), run-relative.
struct Chunk {
    int first;
    int count;
};

// The coefficients of one run.
struct RunCoeffs {
    const VX9SmoothedCoeffs* smoothed; // the record of the run's first sample
    VX9Coeffs& c;
    const VX9AtomicCoeffs& f;
    const VX9CombTable& comb;
};

// ---------------------------------------------------------------------------
// Dot products with the head's table, a lane per sample

#if defined(__AVX512F__)
// Lanes 0 to 7 of a 16-float vector, widened.
VX9_LANES Doubles LowerWidened(__m512 v)
{
    typedef float Sixteen __attribute__((vector_size(2 * sizeof(Floats))));
    const auto all = reinterpret_cast<Sixteen&>(v);
    return Widen(__builtin_shufflevector(all, all, 0, 1, 2, 3, 4, 5, 6, 7));
}

// SumRows for rows that lie within 32 of `lower`, or, for the lanes in
// `upper`, within 32 of `upperLow`: each lane's entries are permuted out of
// its set's 32-row slice of every column.
template <class Samples>
VX9_LANES void SumSlices(const VX9FastScratch& s, const std::int32_t* row, std::int32_t lower,
                         std::int32_t upperLow, __mmask16 upper, Samples sample, Doubles& sa,
                         Doubles& sb)
{
    alignas(64) std::int32_t offsets[2 * kLanes] = {};
    for (int l = 0; l < kLanes; ++l)
        offsets[l] = row[l] - ((upper >> l & 1) != 0 ? upperLow : lower);
    const __m512i index0 = _mm512_load_si512(offsets);
    const __m512i index1 = _mm512_add_epi32(index0, _mm512_set1_epi32(1));
    for (int j = 0; j < kTaps; ++j) {
        const float* column = s.columns[j];
        const __m512 a = _mm512_loadu_ps(column + lower);
        const __m512 b = _mm512_loadu_ps(column + lower + 16);
        __m512 e0 = _mm512_permutex2var_ps(a, index0, b);
        __m512 e1 = _mm512_permutex2var_ps(a, index1, b);
        if (upper != 0) {
            const __m512 c = _mm512_loadu_ps(column + upperLow);
            const __m512 d = _mm512_loadu_ps(column + upperLow + 16);
            e0 = _mm512_mask_blend_ps(upper, e0, _mm512_permutex2var_ps(c, index0, d));
            e1 = _mm512_mask_blend_ps(upper, e1, _mm512_permutex2var_ps(c, index1, d));
        }
        const Doubles x = sample(j);
        sa += LowerWidened(e0) * x;
        sb += LowerWidened(e1) * x;
    }
}
#endif

// The row pair from `row` on, widened; kept, since a head or comb that
// holds still uses one pair for many groups.
VX9_LANES const double* WideRowPair(const float* table, std::int32_t row,
                                    VX9FastScratch::WideRowPair& wide)
{
    if (wide.row != row) {
        const float* entries = table + row * kTaps;
        for (int j = 0; j < 2 * kTaps; ++j)
            wide.entries[j] = entries[j];
        wide.row = row;
    }
    return wide.entries;
}

// Lane l sums, over the 30 taps in order, entry (row[l], j) times its sample
// j into sa and entry (row[l] + 1, j) times it into sb. `sample(j)` gives
// the lanes' samples at tap j.
template <class Samples>
VX9_LANES void SumRows(const float* table, const VX9FastScratch& s,
                       VX9FastScratch::WideRowPair& wide, const std::int32_t* row, int valid,
                       Samples sample, Doubles& sa, Doubles& sb)
{
    bool sameRow = true;
    for (int l = 1; l < valid; ++l)
        sameRow = sameRow && row[l] == row[0];
    if (sameRow) {
        const double* pair = WideRowPair(table, row[0], wide);
        for (int j = 0; j < kTaps; ++j) {
            const Doubles x = sample(j);
            sa += pair[j] * x;
            sb += pair[kTaps + j] * x;
        }
        return;
    }
#if defined(__AVX512F__)
    std::int32_t low = row[0];
    std::int32_t high = row[0];
    for (int l = 1; l < kLanes; ++l) {
        low = row[l] < low ? row[l] : low;
        high = row[l] > high ? row[l] : high;
    }
    // Rows within 32 of each other (the next row included) come from a
    // 32-row slice of each column: two loads and a permute per tap.
    if (high + 1 - low < 32) {
        SumSlices(s, row, low, low, 0, sample, sa, sb);
        return;
    }
    // Otherwise the lanes split at the middle row may fit two slices: the
    // head crossing a whole sample within the lanes puts their rows at both
    // ends of the table, and a fast head spreads them widely.
    const std::int32_t middle = low + (high - low + 1) / 2;
    std::int32_t lowerHigh = low;
    std::int32_t upperLow = high;
    __mmask16 upper = 0;
    for (int l = 0; l < kLanes; ++l) {
        if (row[l] < middle) {
            lowerHigh = row[l] > lowerHigh ? row[l] : lowerHigh;
        } else {
            upperLow = row[l] < upperLow ? row[l] : upperLow;
            upper = static_cast<__mmask16>(upper | 1u << l);
        }
    }
    if (lowerHigh + 1 - low < 32 && high + 1 - upperLow < 32) {
        SumSlices(s, row, low, upperLow, upper, sample, sa, sb);
        return;
    }
#endif
    for (int j = 0; j < kTaps; ++j) {
        const float* column = s.columns[j];
        const Doubles x = sample(j);
        float e0[kLanes];
        float e1[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            e0[l] = column[row[l]];
            e1[l] = column[row[l] + 1];
        }
        sa += LoadWidened(e0) * x;
        sb += LoadWidened(e1) * x;
    }
}

// The playback head: the tape's value at every sample of the chunk.
void ReadTape(const VX9Algorithm& a, VX9FastScratch& s, Chunk chunk)
{
    const float* tape = a.tape.get();
    const std::int32_t length = a.tapeLength;
    for (int k0 = chunk.first; k0 < chunk.first + chunk.count; k0 += kLanes) {
        const std::int32_t* start = s.tapeStart + k0;
        const int valid =
            chunk.first + chunk.count - k0 < kLanes ? chunk.first + chunk.count - k0 : kLanes;
        // Usually the lanes' windows are one sample apart and none wraps:
        // then lane l reads from one straight run, l samples in.
        bool straight = start[0] <= length - kLanes - kTaps + 1;
        for (int l = 1; l < valid; ++l)
            straight = straight && start[l] == start[0] + l;

        Doubles sa{};
        Doubles sb{};
        if (straight) {
            const float* window = tape + start[0];
            SumRows(
                a.interpTable.get(), s, s.wide[0], s.tapeRow + k0, valid,
                [&](int j) { return LoadWidened(window + j); }, sa, sb);
        } else {
            SumRows(
                a.interpTable.get(), s, s.wide[0], s.tapeRow + k0, valid,
                [&](int j) {
                    float x[kLanes];
                    for (int l = 0; l < kLanes; ++l) {
                        std::int32_t index = start[l] + j;
                        if (index >= length)
                            index -= length;
                        x[l] = tape[index];
                    }
                    return LoadWidened(x);
                },
                sa, sb);
        }
        StoreDoubles(s.tap + k0, Between(sa, sb, LoadDoubles(s.tapeFrac + k0)));
    }
}

// A meter's peak: for the samples mixed one at a time, and per lane for the
// groups mixed across lanes, folded together at the end of the block. The
// larger of two values is taken as the sample-by-sample meter takes it
// (`a < b ? b : a`), and every lane starts from the block's first value, so
// the fold gives what one pass over the samples in order gives.
struct Peak {
    explicit Peak(float start) : one(start), lanes(Floats{} + start) {}

    VX9_LANES void Take(float level) { one = one < level ? level : one; }
    VX9_LANES void Take(Floats levels) { lanes = lanes < levels ? levels : lanes; }

    float Fold() const
    {
        float peak = one;
        for (int l = 0; l < kLanes; ++l)
            peak = peak < lanes[l] ? lanes[l] : peak;
        return peak;
    }

    float one;
    Floats lanes;
};

// Where the mix reads and writes in the run, and the meters. A whole group
// is mixed across lanes only when reading its inputs before writing its
// outputs is the same as going sample by sample: when input and output are
// one buffer, or apart.
struct Mixing {
    const float* in;
    float* out;
    bool acrossLanes;
    Peak inPeak;
    Peak outPeak;
};

// Output, meters and the record sum of the group of lanes `lanes`.
void Mix(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, Chunk lanes, Mixing& m)
{
    float* record = s.record + a.combRingLength;
    if (lanes.count == kLanes && m.acrossLanes) {
        const int k0 = lanes.first;
        Doubles dry;
        Doubles wet;
        Doubles inputGain;
        Doubles outputGain;
        Doubles feedback;
        for (int l = 0; l < kLanes; ++l) {
            const VX9SmoothedCoeffs& g = k.smoothed[k0 + l];
            dry[l] = g.dryGain;
            wet[l] = g.wetGain;
            inputGain[l] = g.inputGain;
            outputGain[l] = g.outputGain;
            feedback[l] = g.feedbackGain;
        }
        const Doubles tap = LoadDoubles(s.tap + k0);
        const Doubles x = LoadWidened(m.in + k0) * inputGain;
        m.inPeak.Take(Magnitudes(Narrow(x)));
        const Floats y = Narrow(MixOutput(x, tap, dry, wet, outputGain));
        StoreFloats(m.out + k0, y);
        m.outPeak.Take(Magnitudes(y));
        StoreFloats(record + k0, Narrow(RecordSum(tap, x, feedback, k.c)));
        return;
    }
    for (int i = lanes.first; i < lanes.first + lanes.count; ++i) {
        const VX9SmoothedCoeffs& g = k.smoothed[i];
        const double tap = s.tap[i];
        const double x = static_cast<double>(m.in[i]) * g.inputGain;
        m.inPeak.Take(__builtin_fabsf(static_cast<float>(x)));
        const auto y = static_cast<float>(MixOutput(x, tap, g.dryGain, g.wetGain, g.outputGain));
        m.out[i] = y;
        m.outPeak.Take(__builtin_fabsf(y));
        record[i] = static_cast<float>(RecordSum(tap, x, g.feedbackGain, k.c));
    }
}

// Truncation toward zero of each lane to a 32-bit integer, as TruncInt32
// does one value.
VX9_LANES Ints TruncLanes(Doubles v)
{
#if defined(__AVX512F__)
    return Bits<Ints>(_mm512_maskz_cvttpd_epi32(0xFF, Bits<__m512d>(v)));
#elif defined(__AVX2__)
    return Bits<Ints>(_mm256_cvttpd_epi32(Bits<__m256d>(v)));
#else
    return Bits<Ints>(_mm_cvttpd_epi32(Bits<__m128d>(v)));
#endif
}

VX9_LANES Doubles ToDoubles(Ints v)
{
    return __builtin_convertvector(v, Doubles);
}

// The comb's entry for each sample of a group, through the same steps as
// LookUpComb, SplitCombTap and CombCentre: the table row and fraction of its
// newer tap, where its older tap sits in `record`, its gain and the low
// band's weight.
VX9_LANES void PlaceComb(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, Chunk lanes)
{
    const int k0 = lanes.first;
    const Doubles cp = static_cast<double>(a.combScale) * LoadDoubles(s.phase + k0);
    const Ints column = TruncLanes(cp);
    const Doubles fr = cp - ToDoubles(column);
    Doubles entry[VX9CombTable::kRows];
    // The position moves slowly: usually every lane is in one column.
    bool oneColumn = true;
    for (int l = 1; l < kLanes; ++l)
        oneColumn = oneColumn && column[l] == column[0];
    for (int r = 0; r < VX9CombTable::kRows; ++r) {
        if (oneColumn) {
            const double t0 = k.comb.rows[r][column[0]];
            const double t1 = k.comb.rows[r][column[0] + 1];
            entry[r] = t0 + (t1 - t0) * fr;
            continue;
        }
        float t0[kLanes];
        float t1[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            t0[l] = k.comb.rows[r][column[l]];
            t1[l] = k.comb.rows[r][column[l] + 1];
        }
        const Doubles w0 = LoadWidened(t0);
        entry[r] = w0 + (LoadWidened(t1) - w0) * fr;
    }
    const Doubles distance = entry[VX9CombTable::kTapDistance];
    const Ints whole = TruncLanes(distance);
    const Doubles fa = (distance - ToDoubles(whole)) * 512;
    const Ints row = TruncLanes(fa);

    // Sample i's record goes to the ring at `newest`, and sits at n + i in
    // `record`; the ring's sample of age d at n + i - d.
    const std::int32_t n = a.combRingLength;
    // One wrap at most: a ring is never shorter than a group of lanes.
    static_assert(kLanes <= kShortestCombRing);
    Ints lane;
    for (int l = 0; l < kLanes; ++l)
        lane[l] = l;
    const Ints sample = k0 + lane;
    const Ints unwrapped = (a.combWrite + k0) % n + lane;
    const Ints newest = unwrapped >= n ? unwrapped - n : unwrapped;
    const Ints zero = Ints{} + 0;
    const Ints written = newest + 1;
    const Ints next = written == n ? zero : written;
    const Ints start = next + a.combWindowOffset;
    const Ints window = start >= n ? start - n : start;
    const Ints centre = window - whole + a.combCenterOffset;
    const Ints older = centre >= n ? centre - n : (centre < 0 ? centre + n : centre);
    const Ints difference = newest - older;
    const Ints age = difference < 0 ? difference + n : difference;
    const Ints at = n + sample - age;
    std::memcpy(s.combOlder + k0, &at, sizeof at);
    std::memcpy(s.combRow + k0, &row, sizeof row);
    StoreDoubles(s.combFrac + k0, fa - ToDoubles(row));
    StoreDoubles(s.combGain + k0, entry[VX9CombTable::kGain]);
    StoreDoubles(s.lowMultiplier + k0, entry[VX9CombTable::kLowMultiplier]);
}

// The comb: its newer tap, the 30 newest record samples through two table
// rows, subtracted from its older tap.
void CombTaps(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, Chunk chunk)
{
    const float* record = s.record + a.combRingLength - (kTaps - 1);
    for (int k0 = chunk.first; k0 < chunk.first + chunk.count; k0 += kLanes) {
        const int valid =
            chunk.first + chunk.count - k0 < kLanes ? chunk.first + chunk.count - k0 : kLanes;
        const float* window = record + k0;
        Doubles sa{};
        Doubles sb{};
        SumRows(
            a.interpTable.get(), s, s.wide[1], s.combRow + k0, valid,
            [&](int j) { return LoadWidened(window + j); }, sa, sb);
        const Doubles newer = Between(sa, sb, LoadDoubles(s.combFrac + k0));
        float older[kLanes];
        for (int l = 0; l < kLanes; ++l)
            older[l] = s.record[s.combOlder[k0 + l]];
        StoreDoubles(s.combed + k0,
                     CombOutput(LoadWidened(older), newer, k.c, LoadDoubles(s.combGain + k0)));
    }
}

// The crank over the limited samples of the chunk, a lane per sample: the
// oversampler's input.
void CrankLanes(const RunCoeffs& k, VX9FastScratch& s, Chunk chunk)
{
    for (int k0 = chunk.first; k0 < chunk.first + chunk.count; k0 += kLanes) {
        double* up = s.up + kUpTaps + k0;
        StoreDoubles(up, Crank(LoadDoubles(up), LoadDoubles(s.wowCosine + k0), k.f));
    }
}

// The L sub-samples of every host sample of `groups` groups of lanes from
// k0 on, the groups' sums interleaved so that their chains overlap.
template <int L, int groups>
VX9_LANES void InterpolateGroups(const double* coeffs, VX9FastScratch& s, int k0)
{
    Doubles sum[groups][L] = {};
    // The window of sample i ends with its own sample, at up[kUpTaps + i].
    const double* history = s.up + k0 + 1;
    for (int t = 0; t < kUpTaps; ++t)
        for (int g = 0; g < groups; ++g) {
            const Doubles x = LoadDoubles(history + g * kLanes + t);
#pragma GCC unroll 3
            for (int j = 0; j < L; ++j)
                sum[g][j] += x * coeffs[j * kUpTaps + t];
        }
    for (int g = 0; g < groups; ++g)
        for (int j = 0; j < L; ++j)
            StoreDoubles(s.upSamples[j] + k0 + g * kLanes, sum[g][j]);
}

// The L sub-samples of every host sample of the chunk.
template <int L>
void Interpolate(const VX9Algorithm& a, VX9FastScratch& s, Chunk chunk)
{
    const double* coeffs = a.resampler.UpCoeffs();
    int k0 = chunk.first;
    for (; k0 + kLanes < chunk.first + chunk.count; k0 += 2 * kLanes)
        InterpolateGroups<L, 2>(coeffs, s, k0);
    if (k0 < chunk.first + chunk.count)
        InterpolateGroups<L, 1>(coeffs, s, k0);
}

// The three saturating bands of every sub-sample of the chunk, a lane per
// host sample, into `down`.
template <int L>
void SaturateLanes(const RunCoeffs& k, VX9FastScratch& s, Chunk chunk)
{
    for (int k0 = chunk.first; k0 < chunk.first + chunk.count; k0 += kLanes) {
        const Doubles lowMultiplier = LoadDoubles(s.lowMultiplier + k0);
        for (int j = 0; j < L; ++j)
            StoreDoubles(s.down[j] + kUpTaps + k0,
                         SaturateBands(LoadDoubles(s.bandLow[j] + k0),
                                       LoadDoubles(s.bandBand[j] + k0),
                                       LoadDoubles(s.bandHigh[j] + k0), lowMultiplier, k.c));
    }
}

// The decimator's 24 * L taps for every host sample of the chunk: tap m * L
// + j of sample i is sub-sample j of the host sample i + 1 + m places along
// in `down`.
// Two groups at a time, interleaved, so that their chains of sums overlap.
template <int L, int groups>
VX9_LANES void DecimateGroups(const double* coeffs, VX9FastScratch& s, int k0)
{
    Doubles sum[groups] = {};
    for (int m = 0; m < kUpTaps; ++m)
#pragma GCC unroll 3
        for (int j = 0; j < L; ++j)
            for (int g = 0; g < groups; ++g)
                sum[g] += LoadDoubles(s.down[j] + k0 + g * kLanes + 1 + m) * coeffs[m * L + j];
    for (int g = 0; g < groups; ++g)
        StoreDoubles(s.decimated + k0 + g * kLanes, sum[g]);
}

template <int L>
void Decimate(const VX9Algorithm& a, VX9FastScratch& s, Chunk chunk)
{
    const double* coeffs = a.resampler.DownCoeffs();
    int k0 = chunk.first;
    for (; k0 + kLanes < chunk.first + chunk.count; k0 += 2 * kLanes)
        DecimateGroups<L, 2>(coeffs, s, k0);
    if (k0 < chunk.first + chunk.count)
        DecimateGroups<L, 1>(coeffs, s, k0);
}

// ---------------------------------------------------------------------------
// The sequential passes, one sample per Step

// Everything that does not depend on the audio: glide, noise, flutter, wow
// and the head's place (the comb's entry follows across lanes: PlaceComb).
struct Planner {
    explicit Planner(const VX9Algorithm& a)
        : stage1(a.phaseStage1),
          phase(a.phaseSmoothed),
          rngA(a.rngA),
          rngB(a.rngB),
          flutter1(a.flutterStage1),
          flutter2(a.flutterStage2),
          wowCos(a.wowCos),
          wowSin(a.wowSin),
          runWrite(a.tapeWrite),
          write(a.tapeWrite)
    {}

    void Store(VX9Algorithm& a) const
    {
        a.phaseStage1 = stage1;
        a.phaseSmoothed = phase;
        a.rngA = rngA;
        a.rngB = rngB;
        a.flutterStage1 = flutter1;
        a.flutterStage2 = flutter2;
        a.wowCos = wowCos;
        a.wowSin = wowSin;
    }

    // Plans run sample i. Returns false if its tape window reaches one of
    // the samples from run sample `pending` on that are written before it is
    // read: the caller then restores the planner it had before the step.
    // (Checking after the step keeps the check out of the recursions.)
    VX9_LANES bool Step(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, int i,
                        int pending)
    {
        const std::int32_t length = a.tapeLength;
        Glide(k.c, stage1, phase);
        const float fl = Flutter(k.f, flutter1, flutter2, NoiseStep(rngA, rngB));
        Wow(a.wowCoeff, wowCos, wowSin);
        const HeadPlace head = PlaceHead(k.c, fl, wowSin, phase);
        const std::int32_t start = RingStart(write, head.offset, length);
        if (++write == length)
            write = 0;

        s.tapeStart[i] = start;
        s.tapeRow[i] = head.row;
        s.tapeFrac[i] = head.frac;
        s.wowCosine[i] = wowCos;
        s.hissWord[i] = rngB;
        s.phase[i] = phase;

        const int unwritten = i - pending;
        if (unwritten <= 0)
            return true;
        std::int32_t ahead = start - RingStart(runWrite, pending, length);
        if (ahead < 0)
            ahead += length;
        return ahead >= unwritten && ahead + (kTaps - 1) < length;
    }

    // Lanes past a chunk's end read where its last sample reads.
    static void Pad(VX9FastScratch& s, Chunk chunk)
    {
        const int last = chunk.first + chunk.count - 1;
        for (int l = last + 1; l < chunk.first + RoundUp(chunk.count, kLanes); ++l) {
            s.tapeStart[l] = s.tapeStart[last];
            s.tapeRow[l] = s.tapeRow[last];
            s.phase[l] = s.phase[last];
        }
    }

    double stage1;
    double phase;
    std::uint32_t rngA;
    std::uint32_t rngB;
    VX9BiquadState flutter1;
    VX9BiquadState flutter2;
    double wowCos;
    double wowSin;
    std::int32_t runWrite; // the tape's write index at the run's start
    std::int32_t write;    // ... at the next sample to plan
};

// Comb output, tone, limiter and crank, into the oversampler's input.
struct Limiter {
    explicit Limiter(const VX9Algorithm& a) : state{a.toneState, a.preLimiterDc, a.limiterEnvelope}
    {}

    void Store(VX9Algorithm& a) const
    {
        a.toneState = state.tone;
        a.preLimiterDc = state.preLimiterDc;
        a.limiterEnvelope = state.envelope;
    }

    // The crank follows across lanes (CrankLanes).
    VX9_LANES void Step(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, int i)
    {
        s.up[kUpTaps + i] = ToneAndLimit(s.combed[i], state, a.limiterRate, k.c, k.f);
    }

    ToneLimiterState state;
};

// The band splitter's recursion over a host sample's L sub-samples; the
// saturation of its outputs runs across lanes later (SaturateLanes).
template <int L>
struct Splitter {
    explicit Splitter(const VX9Algorithm& a) : low(a.svfLow), band(a.svfBand) {}

    void Store(VX9Algorithm& a) const
    {
        a.svfLow = low;
        a.svfBand = band;
    }

    VX9_LANES void Step(const RunCoeffs& k, VX9FastScratch& s, int i)
    {
#pragma GCC unroll 3
        for (int j = 0; j < L; ++j) {
            s.bandHigh[j][i] = SplitBands(s.upSamples[j][i], low, band, k.f);
            s.bandLow[j][i] = low;
            s.bandBand[j][i] = band;
        }
    }

    float low;
    float band;
};

// DC blocker, gain glide, quantisation and hiss, onto the tape.
struct TapeWriter {
    TapeWriter(const VX9Algorithm& a, const VX9Coeffs& c)
        : dc(a.postSaturationDc),
          gated(c.gatedPostDistortionGain),
          hiss(a.hissState),
          write(a.tapeWrite)
    {}

    void Store(VX9Algorithm& a, VX9Coeffs& c) const
    {
        a.postSaturationDc = dc;
        c.gatedPostDistortionGain = gated;
        a.hissState = hiss;
        a.tapeWrite = write;
    }

    VX9_LANES void Step(VX9Algorithm& a, const RunCoeffs& k, const VX9FastScratch& s, int i)
    {
        const double v = FinishRecord(s.decimated[i], dc, gated, k.c, k.f);
        a.tape[write] = TapeSample(v, s.hissWord[i], hiss, k.c, k.f);
        if (++write == a.tapeLength)
            write = 0;
    }

    double dc;
    double gated;
    double hiss;
    std::int32_t write;
};

// The group of lanes of `chunk` that starts `at` samples in.
Chunk Group(Chunk chunk, int at)
{
    const int left = chunk.count - at;
    return Chunk{chunk.first + at, left < kLanes ? left : kLanes};
}

// The two groups of lanes of `chunk` from `at` on.
Chunk Pair(Chunk chunk, int at)
{
    const int left = chunk.count - at;
    return Chunk{chunk.first + at, left < 2 * kLanes ? left : 2 * kLanes};
}

// The chunks of a round, and where the round's output goes.
struct Round {
    Chunk write; // decimated, then written to the tape
    Chunk split; // saturated
    Chunk limit; // read from the tape, mixed, combed, limited, interpolated
    int planFirst;
    int planLimit;
    int pending; // the first sample whose tape write may still be pending
};

// One round in one loop. The recursive steps of four chunks run side by
// side, so each runs in the others' shadow, and the vector work for a group
// of lanes comes between them, a group ahead of the steps that need it:
// the limiter and the tape writer step one group behind. Returns how many
// samples from planFirst were planned (at most planLimit).
template <int L>
int StepRound(VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, Splitter<L>& splitterState,
              Limiter& limiterState, Planner& plannerState, TapeWriter& writerState, const Round& r,
              Mixing& mixing)
{
    // Local copies stay in registers: the stores into the scratch arrays
    // cannot be taken for writes to them.
    Splitter<L> splitter = splitterState;
    Limiter limiter = limiterState;
    Planner planner = plannerState;
    TapeWriter writer = writerState;

    int end = r.split.count > r.planLimit ? r.split.count : r.planLimit;
    if (r.limit.count > 0 && RoundUp(r.limit.count, 2 * kLanes) + 2 * kLanes + 1 > end)
        end = RoundUp(r.limit.count, 2 * kLanes) + 2 * kLanes + 1;
    if (r.write.count > 0 && RoundUp(r.write.count, kLanes) + kLanes > end)
        end = RoundUp(r.write.count, kLanes) + kLanes;
    int planned = 0;
    bool planning = true;
    for (int i = 0; i < end; ++i) {
        const int phase = i % kLanes;
        const int group = i - phase;
        // Every other group: the work of two groups of lanes at once.
        if (i % (2 * kLanes) == 0) {
            if (group < r.write.count) {
                SaturateLanes<L>(k, s, Pair(r.write, group));
                Decimate<L>(a, s, Pair(r.write, group));
            }
            // The limiter finished this pair a group ago.
            if (group >= 4 * kLanes && group - 4 * kLanes < r.limit.count) {
                CrankLanes(k, s, Pair(r.limit, group - 4 * kLanes));
                Interpolate<L>(a, s, Pair(r.limit, group - 4 * kLanes));
            }
        }
        if (phase == kLanes / 2 && group < r.limit.count) {
            const Chunk lanes = Group(r.limit, group);
            PlaceComb(a, k, s, lanes);
            ReadTape(a, s, lanes);
            Mix(a, k, s, lanes, mixing);
            CombTaps(a, k, s, lanes);
        }

        if (i < r.split.count)
            splitter.Step(k, s, r.split.first + i);
        const int behind = i - kLanes;
        if (behind >= 0 && behind < r.limit.count)
            limiter.Step(a, k, s, r.limit.first + behind);
        if (planning) {
            const Planner before = planner;
            if (i < r.planLimit && planner.Step(a, k, s, r.planFirst + i, r.pending)) [[likely]] {
                ++planned;
            } else {
                planner = before;
                planning = false;
            }
        }
        if (behind >= 0 && behind < r.write.count)
            writer.Step(a, k, s, r.write.first + behind);
    }
    splitterState = splitter;
    limiterState = limiter;
    plannerState = planner;
    writerState = writer;
    if (planned > 0)
        Planner::Pad(s, Chunk{r.planFirst, planned});
    return planned;
}

// ---------------------------------------------------------------------------
// A run: up to kRun samples through the pipeline

template <int L>
void LoadHistories(const VX9Algorithm& a, VX9FastScratch& s)
{
    std::memcpy(s.record, a.combRing.get() + a.combWrite,
                sizeof(float) * static_cast<std::size_t>(a.combRingLength));
    std::memcpy(s.up, a.resampler.UpWindow(), sizeof(double) * kUpTaps);
    const double* down = a.resampler.DownWindow();
    for (int m = 0; m < kUpTaps; ++m)
        for (int j = 0; j < L; ++j)
            s.down[j][m] = down[m * L + j];
}

template <int L>
void StoreHistories(VX9Algorithm& a, const VX9FastScratch& s, int count)
{
    const std::int32_t n = a.combRingLength;
    float* ring = a.combRing.get();
    // Only the last n records stay in the ring.
    const int skip = count > n ? count - n : 0;
    std::int32_t write = (a.combWrite + skip % n) % n;
    for (int i = skip; i < count; ++i) {
        ring[write] = s.record[n + i];
        ring[write + n] = s.record[n + i];
        if (++write == n)
            write = 0;
    }
    a.combWrite = write;
    const int kept = count < kUpTaps ? count : kUpTaps;
    a.resampler.PushUpRun(s.up + kUpTaps + count - kept, count);
    // The last host samples' sub-samples, in time order.
    double last[kUpTaps * L];
    for (int i = 0; i < kept; ++i)
        for (int j = 0; j < L; ++j)
            last[i * L + j] = s.down[j][kUpTaps + count - kept + i];
    a.resampler.PushDownRun(last, L * count);
}

// Each round moves every chunk one stage on: the oldest is decimated and
// written to the tape, the next saturated, the next read from the tape,
// mixed, combed, limited and interpolated, and a new one planned.
template <int L>
void RunSamples(VX9Algorithm& a, const RunCoeffs& k, int total, Mixing& mixing)
{
    VX9FastScratch& s = *a.fastScratch;
    LoadHistories<L>(a, s);
    Planner planner(a);
    Limiter limiter(a);
    Splitter<L> splitter(a);
    TapeWriter writer(a, k.c);

    // Chunks follow each other without gaps; an empty one starts where the
    // next would.
    Chunk toWrite{0, 0};
    Chunk toSplit{0, 0};
    Chunk toLimit{0, 0};
    int planned = 0;
    while (planned < total || toWrite.count + toSplit.count + toLimit.count > 0) {
        // The new chunk is read from the tape in the next round, before
        // that round writes toSplit: its windows must miss toSplit, toLimit
        // and itself.
        const int left = total - planned;
        const Round round{
            toWrite, toSplit, toLimit, planned, left < kMaxChunk ? left : kMaxChunk, toSplit.first};
        const int count = StepRound<L>(a, k, s, splitter, limiter, planner, writer, round, mixing);

        toWrite = toSplit;
        toSplit = toLimit;
        toLimit = Chunk{planned, count};
        planned += count;
    }

    planner.Store(a);
    limiter.Store(a);
    splitter.Store(a);
    writer.Store(a, k.c);
    StoreHistories<L>(a, s, total);
}

void RunFastKernel(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                   HuxCoeffHandle& coeffs, float* meters)
{
    if (frameCount == 0)
        return;
    const auto& pack = *static_cast<const VX9CoeffPack*>(coeffs);
    const auto from = reinterpret_cast<std::uintptr_t>(in);
    const auto to = reinterpret_cast<std::uintptr_t>(out);
    const std::uintptr_t bytes = sizeof(float) * frameCount;
    Mixing m{in, out, from == to || from + bytes <= to || to + bytes <= from,
             Peak(meters ? meters[0] : 0.0f), Peak(meters ? meters[1] : 0.0f)};
    for (std::uint32_t done = 0; done < frameCount;) {
        const std::uint32_t left = frameCount - done;
        const int total = left < kRun ? static_cast<int>(left) : kRun;
        // Sample i of the block reads smoothed record i + 1.
        const RunCoeffs k{pack.smoothed + 1 + done, *pack.coeffs, *pack.atomic, *pack.comb};
        m.in = in + done;
        m.out = out + done;
        switch (a.oversampling) {
        case 3: RunSamples<3>(a, k, total, m); break;
        case 2: RunSamples<2>(a, k, total, m); break;
        default: RunSamples<1>(a, k, total, m); break;
        }
        done += static_cast<std::uint32_t>(total);
    }
    if (meters) {
        meters[0] = m.inPeak.Fold();
        meters[1] = m.outPeak.Fold();
    }
}

} // namespace

// Defines the block routine `Member` as the batched kernel of this file's
// instruction set.
#define VX9_FAST_KERNEL(Member)                                                                    \
    void VX9Algorithm::Member(std::uint64_t, std::uint32_t frameCount, std::uint64_t,              \
                              const float* const* inputs, std::int32_t, float* const* outputs,     \
                              HuxCoeffHandle& coeffs)                                              \
    {                                                                                              \
        RunFastKernel(*this, frameCount, inputs[0], outputs[0], coeffs, meterOutput);              \
    }
