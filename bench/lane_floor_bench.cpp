// What the batched kernel cannot beat on this machine, in its two halves:
//
//   BM_LaneFloor/rate:R       the kernel's dot products across eight lanes of
//                             AVX-512, each lane summing its taps in order,
//                             in their cheapest form (every lane on one
//                             table row): the arithmetic of the vector work
//   BM_SplitterChain/rate:R   the band splitter's recursion over every
//                             sub-sample, the longest chain the kernel must
//                             step one value at a time
//   BM_ChainAndLanes/rate:R   both in one loop, as the kernel runs them: a
//                             pair of groups' dot products, then the pair's
//                             sixteen samples through the splitter
//
// The batched kernel overlaps the two at best: its ns_per_sample lies
// between the larger of them and their sum, and BM_ChainAndLanes shows how
// much of the overlap the processor finds. The lane floor is built for
// AVX-512 alone, and reports an error on a processor without it.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "blockbench.h"
#include "kernelinputs.h"
#include "tapedelay/source/kernel/vx9kernelsteps.h"
#include "tapedelay/source/kernel/vx9simd.h"

namespace {

using FloorDoubles = FloorLanes::Doubles;
using FloorFloats = FloorLanes::Floats;

// Floats to doubles by the generic conversion: this file gets AVX-512 by
// attribute, and the kernel header's Widen follows the compiler flags.
VX9_LANES FloorDoubles WidenedFloor(const float* p)
{
    return __builtin_convertvector(FloorLanes::Load<FloorFloats>(p), FloorDoubles);
}

// Two rows of `taps` entries against eight lanes' windows of `samples`,
// lane l starting l samples in.
VX9_LANES FloorDoubles RowPair(const double* rows, const float* samples, int taps)
{
    FloorDoubles a{};
    FloorDoubles b{};
    for (int j = 0; j < taps; ++j) {
        const FloorDoubles x = WidenedFloor(samples + j);
        a += rows[j] * x;
        b += rows[taps + j] * x;
    }
    return a + (b - a) * 0.5;
}

struct LaneFloorData {
    const double* rows;
    const float* tape;
    const float* record;
    const double* history;   // the interpolator's input
    const double* saturated; // the decimator's
    const double* up;
    const double* down;
    int taps;
    int upTaps;
    int factor;
};

// Two groups of lanes from k0 on.
[[gnu::target("avx512f")]] VX9_LANES void LanePair(const LaneFloorData& d, float* out,
                                                   std::uint32_t k0)
{
    const int taps = d.taps;
    const int upTaps = d.upTaps;
    const int factor = d.factor;
    {
        FloorDoubles sum[2] = {};
        for (int g = 0; g < 2; ++g) {
            const std::uint32_t k = k0 + g * kFloorLanes;
            sum[g] = RowPair(d.rows, d.tape + k, taps) + RowPair(d.rows, d.record + k, taps);
        }
        // The oversampler's sums, two groups interleaved as the kernel
        // runs them; the decimator's taps sub-sample by sub-sample.
        FloorDoubles interpolated[2][3] = {};
        FloorDoubles decimated[2] = {};
        for (int t = 0; t < upTaps; ++t)
            for (int g = 0; g < 2; ++g) {
                const auto x = FloorLanes::Load<FloorDoubles>(d.history + k0 + g * kFloorLanes + t);
                for (int j = 0; j < factor; ++j)
                    interpolated[g][j] += x * d.up[j * upTaps + t];
            }
        for (int t = 0; t < upTaps * factor; ++t)
            for (int g = 0; g < 2; ++g)
                decimated[g] += FloorLanes::Load<FloorDoubles>(
                                    d.saturated + (k0 + g * kFloorLanes) * factor + t) *
                                d.down[t];
        for (int g = 0; g < 2; ++g) {
            FloorDoubles all = sum[g] + decimated[g];
            for (int j = 0; j < factor; ++j)
                all += interpolated[g][j];
            FloorLanes::Store(out + k0 + g * kFloorLanes,
                              __builtin_convertvector(all, FloorFloats));
        }
    }
}

[[gnu::target("avx512f")]] void LaneFloorBlock(const LaneFloorData& d, float* out,
                                               std::uint32_t frames)
{
    for (std::uint32_t k0 = 0; k0 < frames; k0 += 2 * kFloorLanes)
        LanePair(d, out, k0);
}

// The splitter's state and its outputs.
struct SplitterRun {
    explicit SplitterRun(const VX9AtomicCoeffs& f, int factor)
        : f(f),
          factor(factor),
          high(static_cast<std::size_t>(kBlock) * static_cast<std::size_t>(factor))
    {}

    VX9_LANES void Step(const float* in, std::uint32_t k)
    {
        for (int j = 0; j < factor; ++j)
            high[k * factor + j] = VX9Steps::SplitBands(in[k], state, f);
    }

    const VX9AtomicCoeffs& f;
    int factor;
    VX9SplitterState state{};
    std::vector<double> high;
};

[[gnu::target("avx512f")]] void ChainAndLanesBlock(const LaneFloorData& d, SplitterRun& splitter,
                                                   const float* in, float* out,
                                                   std::uint32_t frames)
{
    for (std::uint32_t k0 = 0; k0 < frames; k0 += 2 * kFloorLanes) {
        LanePair(d, out, k0);
        for (std::uint32_t k = k0; k < k0 + 2 * kFloorLanes && k < frames; ++k)
            splitter.Step(in, k);
    }
}

// The lane floor's inputs, for the algorithm m is set up with.
struct LaneFloorInputs {
    explicit LaneFloorInputs(const VX9Algorithm& a)
        : d(a),
          rows(a.interpTable.get() + 100 * d.taps, a.interpTable.get() + 102 * d.taps),
          data{rows.data(),
               d.tape.data(),
               d.ring.data(),
               d.up.data(),
               d.down.data(),
               a.resampler.UpCoeffs(),
               a.resampler.DownCoeffs(),
               d.taps,
               d.upTaps,
               d.factor}
    {}

    const DotInputs d;
    // One row pair, widened, as the kernel keeps it for lanes on one row.
    const std::vector<double> rows;
    const LaneFloorData data;
};

// MachineAt, on a processor with AVX-512 only.
std::unique_ptr<VX9TestMachine> Avx512MachineAt(benchmark::State& state)
{
    if (!__builtin_cpu_supports("avx512f")) {
        state.SkipWithError("the processor lacks AVX-512");
        return nullptr;
    }
    return MachineAt(state);
}

void BM_LaneFloor(benchmark::State& state)
{
    const auto m = Avx512MachineAt(state);
    if (!m)
        return;
    const LaneFloorInputs lanes(*m->algorithm);
    RunBlocks(state, static_cast<double>(state.range(0)), kBlock,
              [&](const float*, float* out, std::uint32_t frames) {
                  LaneFloorBlock(lanes.data, out, frames);
              });
}

void BM_SplitterChain(benchmark::State& state)
{
    const auto m = MachineAt(state);
    if (!m)
        return;
    const auto rate = static_cast<float>(state.range(0));
    VoiceFromController(m->t, rate, kRetro, kNormal, 0.375, 8.0);
    SplitterRun splitter(m->t.atomic, m->algorithm->oversampling);
    RunBlocks(state, rate, kBlock, [&](const float* in, float* out, std::uint32_t frames) {
        for (std::uint32_t k = 0; k < frames; ++k) {
            splitter.Step(in, k);
            out[k] = splitter.state.svfBand;
        }
    });
}

void BM_ChainAndLanes(benchmark::State& state)
{
    const auto m = Avx512MachineAt(state);
    if (!m)
        return;
    const auto rate = static_cast<float>(state.range(0));
    VoiceFromController(m->t, rate, kRetro, kNormal, 0.375, 8.0);
    const LaneFloorInputs lanes(*m->algorithm);
    SplitterRun splitter(m->t.atomic, m->algorithm->oversampling);
    RunBlocks(state, rate, kBlock, [&](const float* in, float* out, std::uint32_t frames) {
        ChainAndLanesBlock(lanes.data, splitter, in, out, frames);
    });
}

BENCHMARK(BM_LaneFloor)->Apply(Rates);
BENCHMARK(BM_SplitterChain)->Apply(Rates);
BENCHMARK(BM_ChainAndLanes)->Apply(Rates);

} // namespace
