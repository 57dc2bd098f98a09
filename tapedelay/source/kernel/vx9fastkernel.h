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
// steps four chunks at once: it band-splits one chunk while it limits the
// next and plans the one after, and saturates, decimates and writes the
// previous one to the tape, so the long chain of the band splitter hides the
// others. A run ends once its output is complete: the band split and tape
// write of its last two chunks wait for the next run, where they hide
// behind its first chunks (VX9Algorithm::Settle finishes them on demand).
//
// Included by one source file per instruction set, each compiled for its
// set. Everything here has internal linkage or is always inlined, so no
// instruction of one set can reach a caller of another.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "tapedelay/source/kernel/vx9fastscratch.h"
#include "tapedelay/source/kernel/vx9kernelsteps.h"
#include "tapedelay/source/kernel/vx9simd.h"
#include "tapedelay/source/vx9algorithm.h"

namespace {
using namespace VX9Steps;

constexpr int kTaps = VX9FastScratch::kTaps;
constexpr int kUpTaps = VX9FastScratch::kUpTaps;
constexpr int kRun = VX9FastScratch::kRun;
constexpr int kMaxChunk = VX9FastScratch::kMaxChunk;
constexpr int kMaxCarry = VX9FastScratch::kMaxCarry;
static_assert(kMaxChunk % kLanes == 0 && VX9FastScratch::kSpare >= kLanes);

// The group and pair work that the round's loop runs between its
// sequential steps. With AVX2 and SSE2 it is inlined into the loop, which
// measured faster (a call makes the compiler keep the steps' states in
// memory across it); with AVX-512 it stays a call, which measured faster
// there.
#if defined(__AVX512F__)
#define VX9_GROUP_WORK
#else
#define VX9_GROUP_WORK VX9_LANES
#endif

constexpr int RoundUp(int count, int step)
{
    return (count + step - 1) / step * step;
}

// A run of samples [first, first + count), run-relative.
struct Chunk {
    int first;
    int count;
};

// The coefficients of one block's samples. The comb table is null for
// carried samples: only their band split and tape write are left.
struct RunCoeffs {
    VX9Coeffs& c;
    const VX9AtomicCoeffs& f;
    const VX9CombTable* comb;
};

// ---------------------------------------------------------------------------
// Dot products with the head's table, a lane per sample

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
    SumRowsApart<kTaps, VX9FastScratch::kPass, VX9FastScratch::kPairLength>(s.rowPairs[0], row,
                                                                            sample, sa, sb);
}

// The playback head: the tape's value at every sample of the chunk.
VX9_GROUP_WORK void ReadTape(const VX9Algorithm& a, VX9FastScratch& s, Chunk chunk)
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
                    return Widen(LanesOf<Floats>([&](int l) {
                        std::int32_t index = start[l] + j;
                        if (index >= length)
                            index -= length;
                        return tape[index];
                    }));
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

// Where the mix reads and writes in the run (input, output and gains of the
// run's first sample, which sits at `base` in the scratch), and the meters.
// A whole group is mixed across lanes only when reading its inputs before
// writing its outputs is the same as going sample by sample: when input and
// output are one buffer, or apart.
struct Mixing {
    const float* in;
    float* out;
    const VX9SmoothedCoeffs* smoothed;
    int base;
    bool acrossLanes;
    Peak inPeak;
    Peak outPeak;
};

// Output, meters and the record sum of the group of lanes `lanes`.
VX9_GROUP_WORK void Mix(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, Chunk lanes,
                        Mixing& m)
{
    float* record = s.record + a.combRingLength;
    if (lanes.count == kLanes && m.acrossLanes) {
        const int k0 = lanes.first;
        const int r0 = k0 - m.base; // in the run's buffers
        const VX9SmoothedCoeffs* g = m.smoothed + r0;
        const auto gains = [&](double VX9SmoothedCoeffs::*gain) {
            return LanesOf<Doubles>([&](int l) { return g[l].*gain; });
        };
        const Doubles dry = gains(&VX9SmoothedCoeffs::dryGain);
        const Doubles wet = gains(&VX9SmoothedCoeffs::wetGain);
        const Doubles inputGain = gains(&VX9SmoothedCoeffs::inputGain);
        const Doubles outputGain = gains(&VX9SmoothedCoeffs::outputGain);
        const Doubles feedback = gains(&VX9SmoothedCoeffs::feedbackGain);
        const Doubles tap = LoadDoubles(s.tap + k0);
        const Doubles x = LoadWidened(m.in + r0) * inputGain;
        m.inPeak.Take(Magnitudes(Narrow(x)));
        const Floats y = Narrow(MixOutput(x, tap, dry, wet, outputGain));
        StoreFloats(m.out + r0, y);
        m.outPeak.Take(Magnitudes(y));
        StoreFloats(record + k0, Narrow(RecordSum(tap, x, feedback, k.c)));
        return;
    }
    for (int i = lanes.first; i < lanes.first + lanes.count; ++i) {
        const int r = i - m.base;
        const VX9SmoothedCoeffs& g = m.smoothed[r];
        const double tap = s.tap[i];
        const double x = static_cast<double>(m.in[r]) * g.inputGain;
        m.inPeak.Take(__builtin_fabsf(static_cast<float>(x)));
        const auto y = static_cast<float>(MixOutput(x, tap, g.dryGain, g.wetGain, g.outputGain));
        m.out[r] = y;
        m.outPeak.Take(__builtin_fabsf(y));
        record[i] = static_cast<float>(RecordSum(tap, x, g.feedbackGain, k.c));
    }
}

// The comb's entry for each sample of a group, through the same steps as
// the plain kernel: the table row and fraction of its newer tap, where its
// older tap sits in `record`, its gain and the low band's weight. The
// sample whose record goes to the ring's write index sits at `stored`.
VX9_LANES void PlaceComb(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, Chunk lanes,
                         int stored)
{
    const int k0 = lanes.first;
    const CombEntry<Doubles> entry = LookUpComb(*k.comb, a.combScale, LoadDoubles(s.phase + k0));
    const auto tap = SplitCombTap(entry.tapDistance);

    // Sample i's record goes to the ring at `newest`, and sits at n + i in
    // `record`; the ring's sample of age d at n + i - d.
    const std::int32_t n = a.combRingLength;
    // One wrap at most: a ring is never shorter than a group of lanes.
    static_assert(kLanes <= kShortestCombRing);
    Ints lane;
    for (int l = 0; l < kLanes; ++l)
        lane[l] = l;
    const Ints sample = k0 + lane;
    const Ints newest = RingStart((a.combWrite + (k0 - stored)) % n + lane, 0, n);
    // The ring's write index once the sample is recorded.
    const Ints written = RingStart(newest, 1, n);
    const Ints start = RingStart(written, a.combWindowOffset, n);
    const Ints older = CombCentre(start, tap.whole, a.combCenterOffset, n);
    const Ints difference = newest - older;
    const Ints age = difference < 0 ? difference + n : difference;
    const Ints at = n + sample - age;
    std::memcpy(s.combOlder + k0, &at, sizeof at);
    std::memcpy(s.combRow + k0, &tap.row, sizeof tap.row);
    StoreDoubles(s.combFrac + k0, tap.frac);
    StoreDoubles(s.combGain + k0, entry.gain);
    StoreDoubles(s.lowMultiplier + k0, entry.lowMultiplier);
}

// The comb: its newer tap, the 30 newest record samples through two table
// rows, subtracted from its older tap.
VX9_GROUP_WORK void CombTaps(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s,
                             Chunk chunk)
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
        const Floats older = LanesOf<Floats>([&](int l) { return s.record[s.combOlder[k0 + l]]; });
        StoreDoubles(s.combed + k0,
                     CombOutput(Widen(older), newer, k.c, LoadDoubles(s.combGain + k0)));
    }
}

// The crank over the limited samples of the chunk, a lane per sample: the
// oversampler's input.
VX9_GROUP_WORK void CrankLanes(const RunCoeffs& k, VX9FastScratch& s, Chunk chunk)
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
VX9_GROUP_WORK void Interpolate(const VX9Algorithm& a, VX9FastScratch& s, Chunk chunk)
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
VX9_GROUP_WORK void SaturateLanes(const RunCoeffs& k, VX9FastScratch& s, Chunk chunk)
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
VX9_GROUP_WORK void Decimate(const VX9Algorithm& a, VX9FastScratch& s, Chunk chunk)
{
    const double* coeffs = a.resampler.DownCoeffs();
    int k0 = chunk.first;
    for (; k0 + kLanes < chunk.first + chunk.count; k0 += 2 * kLanes)
        DecimateGroups<L, 2>(coeffs, s, k0);
    if (k0 < chunk.first + chunk.count)
        DecimateGroups<L, 1>(coeffs, s, k0);
}

// ---------------------------------------------------------------------------
// The sequential passes, one sample per step

// Everything that does not depend on the audio: the head's motion and place
// (the comb's entry follows across lanes: PlaceComb), and the gated gain.
struct Planner {
    // Plans run sample i. Returns false if its tape window reaches one of
    // the samples from run sample `pending` on that are written before it is
    // read: the caller then restores the planner it had before the step.
    // (Checking after the step keeps the check out of the recursions.)
    VX9_LANES bool Step(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, int i,
                        int pending)
    {
        const std::int32_t length = a.tapeLength;
        const HeadPlace head = MoveHead(k.c, k.f, a.wowCoeff, motion);
        const std::int32_t start = RingStart(write, head.offset, length);
        if (++write == length)
            write = 0;

        s.tapeStart[i] = start;
        s.tapeRow[i] = head.row;
        s.tapeFrac[i] = head.frac;
        s.wowCosine[i] = motion.wowCos;
        s.hissWord[i] = motion.rngB;
        s.phase[i] = motion.phaseSmoothed;
        gated = GlideGate(gated, k.c, k.f);
        s.gate[i] = gated;

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

    VX9HeadMotionState motion;
    double gated;          // the coefficients' gatedPostDistortionGain
    std::int32_t runWrite; // the tape's write index at the scratch's first sample
    std::int32_t write;    // ... at the next sample to plan
};

// Tone, DC blocker and limiter, from the comb's output into the
// oversampler's input (the crank follows across lanes: CrankLanes).
VX9_LANES void Limit(const VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, int i,
                     VX9ToneLimiterState& state)
{
    s.up[kUpTaps + i] = ToneAndLimit(s.combed[i], state, a.limiterRate, k.c, k.f);
}

// The band splitter's recursion over a host sample's L sub-samples; the
// saturation of its outputs runs across lanes later (SaturateLanes).
template <int L>
VX9_LANES void Split(const RunCoeffs& k, VX9FastScratch& s, int i, VX9SplitterState& state)
{
#pragma GCC unroll 3
    for (int j = 0; j < L; ++j) {
        s.bandHigh[j][i] = SplitBands(s.upSamples[j][i], state, k.f);
        s.bandLow[j][i] = state.svfLow;
        s.bandBand[j][i] = state.svfBand;
    }
}

// DC blocker, gated gain, quantisation and hiss, onto the tape.
struct TapeWriter {
    VX9_LANES void Step(VX9Algorithm& a, const RunCoeffs& k, const VX9FastScratch& s, int i)
    {
        const double v = FinishRecord(s.decimated[i], state, s.gate[i], k.f);
        a.tape[write] = TapeSample(v, s.hissWord[i], state, k.c, k.f);
        if (++write == a.tapeLength)
            write = 0;
    }

    VX9TapeWriterState state;
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

// The chunks of a round, and the coefficients of the two oldest (a run's
// own, or those the previous run left them with).
struct Round {
    Chunk write; // saturated, decimated, then written to the tape
    Chunk split; // through the band splitter
    Chunk limit; // read from the tape, mixed, combed, limited, cranked, interpolated
    int planFirst;
    int planLimit;
    int pending; // the first sample whose tape write may still be pending
    const RunCoeffs& writeCoeffs;
    const RunCoeffs& splitCoeffs;
};

// The schedule of a round, in steps i of its loop. A group is kLanes
// samples, a pair two groups; pair work runs where i is a multiple of
// 2 * kLanes.
//
//   chunk   one step a sample, at i - lag        vector work
//   write   tape writer, lag kStepLag            saturation, decimation: pair at i
//   split   band splitter, lag 0                 -
//   limit   tone and limiter, lag kStepLag       head, mix, comb: group at i - kGroupWorkPhase;
//                                                crank, interpolation: pair at i - kPairWorkLag
//   plan    planner, lag 0                       -
//
// With AVX2 and SSE2 a group's head, mix and comb run halfway between two
// pairs' work, so that the vector work is spread evenly among the
// sequential steps. With AVX-512 they run at the group's first step, where
// no lag is needed: that measured faster there, the other slower.
#if defined(__AVX512F__)
constexpr int kGroupWorkPhase = 0;
#else
constexpr int kGroupWorkPhase = kLanes / 2;
#endif
// The limiter steps kGroupWorkPhase behind, so that a group's comb output
// (ready at kGroupWorkPhase) is there before its first sample, and no
// further: every step of lag lengthens each round's tail. The tape writer
// keeps step with it (a pair's decimation is ready from the pair's first
// step on).
constexpr int kStepLag = kGroupWorkPhase;
// A pair's crank and interpolation come at the first pair boundary after the
// limiter's step of the pair's last sample, 2 * kLanes - 1 + kStepLag steps
// after the pair's first (the work at a step comes before its steps).
constexpr int kPairWorkLag = RoundUp(2 * kLanes + kStepLag, 2 * kLanes);
static_assert(kPairWorkLag > 2 * kLanes - 1 + kStepLag && kPairWorkLag % (2 * kLanes) == 0);

// One round in one loop. The recursive steps of four chunks run side by
// side, so each runs in the others' shadow, and the vector work for a group
// of lanes comes between them, ahead of the steps that need it. Returns how
// many samples from planFirst were planned (at most planLimit).
template <int L>
int StepRound(VX9Algorithm& a, const RunCoeffs& k, VX9FastScratch& s, const Round& r,
              Mixing& mixing, Planner& plannerState, VX9ToneLimiterState& toneLimiterState,
              VX9SplitterState& splitterState, TapeWriter& writerState)
{
    // Local copies stay in registers: the stores into the scratch arrays
    // cannot be taken for writes to them.
    Planner planner = plannerState;
    VX9ToneLimiterState toneLimiter = toneLimiterState;
    VX9SplitterState splitter = splitterState;
    TapeWriter writer = writerState;

    // Enough steps for every stage to step through its chunk. The limit
    // chunk's pairs whose crank and interpolation would come after the
    // last step get them after the loop: nothing in the round needs them.
    int end = r.split.count > r.planLimit ? r.split.count : r.planLimit;
    if (r.limit.count > 0 && r.limit.count + kStepLag > end)
        end = r.limit.count + kStepLag;
    if (r.write.count > 0 && RoundUp(r.write.count, kLanes) + kStepLag > end)
        end = RoundUp(r.write.count, kLanes) + kStepLag;
    int planned = 0;
    bool planning = true;
    for (int i = 0; i < end; ++i) {
        const int phase = i % kLanes;
        const int group = i - phase;
        if (i % (2 * kLanes) == 0) {
            if (group < r.write.count) {
                SaturateLanes<L>(r.writeCoeffs, s, Pair(r.write, group));
                Decimate<L>(a, s, Pair(r.write, group));
            }
            if (group >= kPairWorkLag && group - kPairWorkLag < r.limit.count) {
                CrankLanes(k, s, Pair(r.limit, group - kPairWorkLag));
                Interpolate<L>(a, s, Pair(r.limit, group - kPairWorkLag));
            }
        }
        if (phase == kGroupWorkPhase && group < r.limit.count) {
            const Chunk lanes = Group(r.limit, group);
            PlaceComb(a, k, s, lanes, s.carry.stored);
            ReadTape(a, s, lanes);
            Mix(a, k, s, lanes, mixing);
            CombTaps(a, k, s, lanes);
        }

        if (i < r.split.count)
            Split<L>(r.splitCoeffs, s, r.split.first + i, splitter);
        const int behind = i - kStepLag;
        if (behind >= 0 && behind < r.limit.count)
            Limit(a, k, s, r.limit.first + behind, toneLimiter);
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
            writer.Step(a, r.writeCoeffs, s, r.write.first + behind);
    }
    for (int pair = end > kPairWorkLag ? RoundUp(end - kPairWorkLag, 2 * kLanes) : 0;
         pair < r.limit.count; pair += 2 * kLanes) {
        CrankLanes(k, s, Pair(r.limit, pair));
        Interpolate<L>(a, s, Pair(r.limit, pair));
    }
    plannerState = planner;
    toneLimiterState = toneLimiter;
    splitterState = splitter;
    writerState = writer;
    if (planned > 0)
        Planner::Pad(s, Chunk{r.planFirst, planned});
    return planned;
}

// ---------------------------------------------------------------------------
// A run: up to kRun samples through the pipeline, after those the previous
// run left

// The histories in front of the run's first sample, at `base`: the comb
// ring's and the oversampler's. The decimator's ends at the first sample not
// yet written to the tape, at the front of the scratch.
template <int L>
void LoadHistories(const VX9Algorithm& a, VX9FastScratch& s, int base)
{
    std::memcpy(s.record + base, a.combRing.get() + a.combWrite,
                sizeof(float) * static_cast<std::size_t>(a.combRingLength));
    std::memcpy(s.up + base, a.resampler.UpWindow(), sizeof(double) * kUpTaps);
    const double* down = a.resampler.DownWindow();
    for (int m = 0; m < kUpTaps; ++m)
        for (int j = 0; j < L; ++j)
            s.down[j][m] = down[m * L + j];
}

// The run's `count` samples from `base` on into the comb ring and the
// oversampler's history; the samples written to the tape, up to `writtenTo`,
// into the decimator's.
template <int L>
void StoreHistories(VX9Algorithm& a, const VX9FastScratch& s, int base, int count, int writtenFrom,
                    int writtenTo)
{
    const std::int32_t n = a.combRingLength;
    float* ring = a.combRing.get();
    const float* record = s.record + n + base;
    // Only the last n records stay in the ring.
    const int skip = count > n ? count - n : 0;
    std::int32_t write = (a.combWrite + skip % n) % n;
    for (int i = skip; i < count; ++i) {
        ring[write] = record[i];
        ring[write + n] = record[i];
        if (++write == n)
            write = 0;
    }
    a.combWrite = write;
    const int kept = count < kUpTaps ? count : kUpTaps;
    a.resampler.PushUpRun(s.up + kUpTaps + base + count - kept, count);
    // The last written host samples' sub-samples, in time order.
    const int written = writtenTo - writtenFrom;
    const int keptDown = written < kUpTaps ? written : kUpTaps;
    double last[kUpTaps * L];
    for (int i = 0; i < keptDown; ++i)
        for (int j = 0; j < L; ++j)
            last[i * L + j] = s.down[j][kUpTaps + writtenTo - keptDown + i];
    a.resampler.PushDownRun(last, L * written);
}

// Brings the algorithm's histories up to the scratch: records and
// oversampler input up to sample `end`, tape writes up to `writtenEnd`.
template <int L>
void StoreUnstored(VX9Algorithm& a, VX9FastScratch& s, int end, int writtenEnd)
{
    VX9FastScratch::Carry& carry = s.carry;
    StoreHistories<L>(a, s, carry.stored, end - carry.stored, carry.storedWrite, writtenEnd);
    carry.stored = end;
    carry.storedWrite = writtenEnd;
}

// Moves the carried chunks to the front of the scratch, with what their
// stages still need.
template <int L>
void MoveCarry(VX9FastScratch& s)
{
    const auto move = [&](auto* array, int count) {
        std::memmove(array, array + s.carry.first, sizeof *array * static_cast<std::size_t>(count));
    };
    const int write = s.carry.write;
    const int split = s.carry.split;
    move(s.hissWord, write + split);
    move(s.gate, write + split);
    move(s.lowMultiplier, write + split);
    for (int j = 0; j < L; ++j) {
        move(s.bandLow[j], write);
        move(s.bandBand[j], write);
        move(s.bandHigh[j], write);
        move(s.upSamples[j] + write, split);
    }
    s.carry.first = 0;
}

// Each round moves every chunk one stage on: the oldest is saturated,
// decimated and written to the tape, the next band-split, the next read
// from the tape, mixed, combed, limited and interpolated, and a new one
// planned. The first rounds finish the chunks the previous run left. Once
// the run's output is complete, the band split and tape write of its last
// two chunks are left to the next run (where they run beside its first
// chunks' planning and limiting), unless `finish`: the planner counts them
// as pending tape writes. The next run goes on in place after them while
// there is room, so that it finds its histories where this run left them;
// the algorithm's own copies of them are brought up to date only when the
// histories must be loaded afresh, and when `finish`.
template <int L>
void RunSamples(VX9Algorithm& a, const RunCoeffs& k, int total, Mixing& mixing, bool finish)
{
    VX9FastScratch& s = *a.fastScratch;
    VX9FastScratch::Carry& carry = s.carry;
    if (!carry.inPlace || carry.first + carry.write + carry.split + total > kRun + kMaxCarry) {
        if (carry.inPlace)
            StoreUnstored<L>(a, s, carry.first + carry.write + carry.split, carry.first);
        MoveCarry<L>(s);
        LoadHistories<L>(a, s, carry.write + carry.split);
        carry.stored = carry.write + carry.split;
        carry.storedWrite = 0;
    }
    const int first = carry.first;
    const int base = first + carry.write + carry.split;
    // The stages' states live in locals for the run: nothing else can reach
    // them, so the compiler keeps them in registers across the stores into
    // the tape and the scratch arrays, which it cannot do for the
    // algorithm's own.
    Planner planner{a.headMotion, k.c.gatedPostDistortionGain,
                    RingStart(a.tapeWrite, a.tapeLength - first, a.tapeLength),
                    RingStart(a.tapeWrite, base - first, a.tapeLength)};
    VX9ToneLimiterState toneLimiter = a.toneLimiter;
    VX9SplitterState splitter = a.splitter;
    TapeWriter writer{a.tapeWriter, a.tapeWrite};
    const RunCoeffs carried{carry.c, carry.f, nullptr};
    mixing.base = base;

    // Chunks follow each other without gaps; an empty one starts where the
    // next would.
    Chunk toWrite{first, carry.write};
    Chunk toSplit{first + carry.write, carry.split};
    Chunk toLimit{base, 0};
    int planned = base;
    const int end = base + total;
    const int chunkLimit = std::clamp(RoundUp((total + 3) / 4, 2 * kLanes), 2 * kLanes, kMaxChunk);
    while (planned < end || toLimit.count > 0 || (finish && toWrite.count + toSplit.count > 0)) {
        // The new chunk is read from the tape in the next round, before
        // that round writes toSplit: its windows must miss toSplit, toLimit
        // and itself.
        const int left = end - planned;
        const Round round{toWrite,
                          toSplit,
                          toLimit,
                          planned,
                          left < chunkLimit ? left : chunkLimit,
                          toSplit.first,
                          toWrite.first < base ? carried : k,
                          toSplit.first < base ? carried : k};
        const int count =
            StepRound<L>(a, k, s, round, mixing, planner, toneLimiter, splitter, writer);

        toWrite = toSplit;
        toSplit = toLimit;
        toLimit = Chunk{planned, count};
        planned += count;
    }

    a.headMotion = planner.motion;
    a.toneLimiter = toneLimiter;
    a.splitter = splitter;
    a.tapeWriter = writer.state;
    k.c.gatedPostDistortionGain = planner.gated;
    a.tapeWrite = writer.write;
    if (finish)
        StoreUnstored<L>(a, s, base + total, toWrite.first);
    // What is left is the run's own: every carried chunk went before them.
    carry.first = toWrite.first;
    carry.write = toWrite.count;
    carry.split = toSplit.count;
    carry.inPlace = true;
    if (toWrite.count + toSplit.count > 0) {
        carry.c = k.c;
        carry.f = k.f;
    }
}

// RunSamples at the algorithm's oversampling factor.
void RunAtFactor(VX9Algorithm& a, const RunCoeffs& k, int total, Mixing& mixing, bool finish)
{
    switch (a.oversampling) {
    case 3: RunSamples<3>(a, k, total, mixing, finish); break;
    case 2: RunSamples<2>(a, k, total, mixing, finish); break;
    default: RunSamples<1>(a, k, total, mixing, finish); break;
    }
}

// The batched kernel for this file's instruction set.
void RunFastKernel(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                   const VX9CoeffPack& pack, float* meters)
{
    const auto from = reinterpret_cast<std::uintptr_t>(in);
    const auto to = reinterpret_cast<std::uintptr_t>(out);
    const std::uintptr_t bytes = sizeof(float) * frameCount;
    Mixing m{in,
             out,
             pack.smoothed,
             0,
             from == to || from + bytes <= to || to + bytes <= from,
             Peak(meters ? meters[0] : 0.0f),
             Peak(meters ? meters[1] : 0.0f)};
    const RunCoeffs k{*pack.coeffs, *pack.atomic, pack.comb};
    for (std::uint32_t done = 0; done < frameCount;) {
        const std::uint32_t left = frameCount - done;
        const int total = left < kRun ? static_cast<int>(left) : kRun;
        m.in = in + done;
        m.out = out + done;
        // Sample i of the block reads smoothed record i + 1.
        m.smoothed = pack.smoothed + 1 + done;
        RunAtFactor(a, k, total, m, false);
        done += static_cast<std::uint32_t>(total);
    }
    if (meters) {
        meters[0] = m.inPeak.Fold();
        meters[1] = m.outPeak.Fold();
    }
}

// Finishes the band split and tape write of the samples the last block
// left, with the coefficients they came in, and brings the algorithm's
// histories up to date.
void SettleFastKernel(VX9Algorithm& a)
{
    VX9FastScratch::Carry& carry = a.fastScratch->carry;
    if (!carry.inPlace)
        return;
    const RunCoeffs k{carry.c, carry.f, nullptr};
    Mixing none{nullptr, nullptr, nullptr, 0, false, Peak(0.0f), Peak(0.0f)};
    RunAtFactor(a, k, 0, none, true);
}

} // namespace

#undef VX9_GROUP_WORK
