// Working memory of the batched kernel, allocated at set-up. A run of up to
// kRun samples is laid out sample by sample, so that consecutive samples sit
// in consecutive SIMD lanes, after the samples the previous run left to
// finish (its carry); each record stream keeps its ring's contents, oldest
// first, in front of the run's samples.
#pragma once

#include <cstdint>

#include "tapedelay/source/updownsampler.h"
#include "tapedelay/source/vx9coeffs.h"
#include "tapedelay/source/vx9ratebracket.h"
#include "tapedelay/source/vx9tape.h"

struct VX9FastScratch {
    // Samples per run, the most any chunk of a run holds, and the most a
    // run leaves to the next (two chunks).
    static constexpr int kRun = 512;
    static constexpr int kMaxChunk = 64;
    static constexpr int kMaxCarry = 2 * kMaxChunk;
    // Room after a run for the lanes of a chunk's last, partly filled pass.
    static constexpr int kSpare = 64;
    static constexpr int kSamples = kMaxCarry + kRun + kSpare;
    static constexpr int kUpTaps = UpDownSampler::kTaps;
    static constexpr int kTaps = VX9Tape::kInterpTaps;

    // The last two chunks of a run, whose band split and tape write wait
    // for the next run (which runs them beside its first chunks): from
    // sample `first` on, `write` samples already band-split, then `split`
    // samples still to be; with the coefficients of the block they came in.
    // In place: the arrays also hold the histories in front of them, as
    // the last run left them (not after a set-up, reset or settle). Then
    // the algorithm's comb ring and oversampler history take the records
    // and oversampler input from sample `stored` on, and its decimator
    // history the tape writes from `storedWrite` on, only when they are
    // needed: before the histories are loaded afresh, and at a settle.
    struct Carry {
        int first = 0;
        int write = 0;
        int split = 0;
        bool inPlace = false;
        int stored = 0;
        int storedWrite = 0;
        VX9Coeffs c{};
        VX9AtomicCoeffs f{};
    };
    Carry carry;

    // The head's table by pairs of neighbouring rows, so that a lane loads
    // a pass of taps of both its rows at once: pair r holds rows r and
    // r + 1, by passes of kPass taps, each pass of row r followed by the
    // same taps of row r + 1, zero-padded to whole passes.
    // Four taps: one 256-bit load holds a pass of both rows.
    static constexpr int kPass = 4;
    static constexpr int kPairLength = 2 * ((kTaps + kPass - 1) / kPass * kPass);
    alignas(64) float rowPairs[VX9Tape::kInterpRows - 1][kPairLength];
    // Where entry j of a pair's first row sits (the second row's is kPass
    // further on).
    static constexpr int PairIndex(int j) { return j / kPass * 2 * kPass + j % kPass; }
    // The row pair the head's and the comb's lanes last shared, widened
    // (row -1: none yet).
    struct WideRowPair {
        std::int32_t row = -1;
        alignas(64) double entries[2 * kTaps];
    };
    WideRowPair wide[2];

    // The playback head, per sample: window start on the tape, table row,
    // fraction between rows; then the tape's value there.
    alignas(64) std::int32_t tapeStart[kSamples];
    alignas(64) std::int32_t tapeRow[kSamples];
    alignas(64) double tapeFrac[kSamples];
    alignas(64) double tap[kSamples];

    // The comb, per sample: table row, fraction, where its older tap is in
    // `record`, gain and low-band weight; then its output.
    alignas(64) std::int32_t combRow[kSamples];
    alignas(64) std::int32_t combOlder[kSamples];
    alignas(64) double combFrac[kSamples];
    alignas(64) double combGain[kSamples];
    alignas(64) double lowMultiplier[kSamples];
    alignas(64) double combed[kSamples];

    // The smoothed read position, the wow oscillator's cosine, the hiss's
    // noise word and the gated gain, per sample.
    alignas(64) double phase[kSamples];
    alignas(64) double wowCosine[kSamples];
    alignas(64) std::uint32_t hissWord[kSamples];
    alignas(64) double gate[kSamples];

    // Record samples: the comb ring's, then the run's.
    alignas(64) float record[kLongestCombRing + kSamples];
    // Oversampler input: its history, then the run's samples.
    alignas(64) double up[kUpTaps + kSamples];
    // Oversampled samples per sub-sample j, by host sample.
    alignas(64) double upSamples[kHighestOversampling][kSamples];
    // The band splitter's low, band and high outputs per sub-sample j, by
    // host sample.
    alignas(64) double bandLow[kHighestOversampling][kSamples];
    alignas(64) double bandBand[kHighestOversampling][kSamples];
    alignas(64) double bandHigh[kHighestOversampling][kSamples];
    // Saturated samples split by sub-sample: history, then the run's.
    alignas(64) double down[kHighestOversampling][kUpTaps + kSamples];
    // Decimated samples, per host sample.
    alignas(64) double decimated[kSamples];
};
