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

#include <cstring>
#include <memory>
#include <vector>

#include "blockbench.h"
#include "kernelinputs.h"
#include "tapedelay/source/vx9kernelsteps.h"

namespace {

constexpr int kLanes = 8;

typedef double Doubles __attribute__((vector_size(kLanes * sizeof(double))));
typedef float Floats __attribute__((vector_size(kLanes * sizeof(float))));

#define LANES [[gnu::always_inline]] inline

LANES Doubles LoadWidened(const float* p)
{
    Floats v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Doubles);
}

LANES Doubles LoadDoubles(const double* p)
{
    Doubles v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Two rows of `taps` entries against eight lanes' windows of `samples`,
// lane l starting l samples in.
LANES Doubles RowPair(const double* rows, const float* samples, int taps)
{
    Doubles a{};
    Doubles b{};
    for (int j = 0; j < taps; ++j) {
        const Doubles x = LoadWidened(samples + j);
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
[[gnu::target("avx512f")]] LANES void LanePair(const LaneFloorData& d, float* out, std::uint32_t k0)
{
    const int taps = d.taps;
    const int upTaps = d.upTaps;
    const int factor = d.factor;
    {
        Doubles sum[2] = {};
        for (int g = 0; g < 2; ++g) {
            const std::uint32_t k = k0 + g * kLanes;
            sum[g] = RowPair(d.rows, d.tape + k, taps) + RowPair(d.rows, d.record + k, taps);
        }
        // The oversampler's sums, two groups interleaved as the kernel
        // runs them; the decimator's taps sub-sample by sub-sample.
        Doubles interpolated[2][3] = {};
        Doubles decimated[2] = {};
        for (int t = 0; t < upTaps; ++t)
            for (int g = 0; g < 2; ++g) {
                const Doubles x = LoadDoubles(d.history + k0 + g * kLanes + t);
                for (int j = 0; j < factor; ++j)
                    interpolated[g][j] += x * d.up[j * upTaps + t];
            }
        for (int t = 0; t < upTaps * factor; ++t)
            for (int g = 0; g < 2; ++g)
                decimated[g] +=
                    LoadDoubles(d.saturated + (k0 + g * kLanes) * factor + t) * d.down[t];
        for (int g = 0; g < 2; ++g) {
            Doubles all = sum[g] + decimated[g];
            for (int j = 0; j < factor; ++j)
                all += interpolated[g][j];
            const Floats narrowed = __builtin_convertvector(all, Floats);
            std::memcpy(out + k0 + g * kLanes, &narrowed, sizeof narrowed);
        }
    }
}

[[gnu::target("avx512f")]] void LaneFloorBlock(const LaneFloorData& d, float* out,
                                               std::uint32_t frames)
{
    for (std::uint32_t k0 = 0; k0 < frames; k0 += 2 * kLanes)
        LanePair(d, out, k0);
}

// The splitter's state and its outputs.
struct SplitterRun {
    explicit SplitterRun(const VX9AtomicCoeffs& f, int factor)
        : f(f),
          factor(factor),
          high(static_cast<std::size_t>(kBlock) * static_cast<std::size_t>(factor))
    {}

    LANES void Step(const float* in, std::uint32_t k)
    {
        for (int j = 0; j < factor; ++j)
            high[k * factor + j] = VX9Steps::SplitBands(in[k], low, band, f);
    }

    const VX9AtomicCoeffs& f;
    int factor;
    float low = 0.0f;
    float band = 0.0f;
    std::vector<double> high;
};

[[gnu::target("avx512f")]] void ChainAndLanesBlock(const LaneFloorData& d, SplitterRun& splitter,
                                                   const float* in, float* out,
                                                   std::uint32_t frames)
{
    for (std::uint32_t k0 = 0; k0 < frames; k0 += 2 * kLanes) {
        LanePair(d, out, k0);
        for (std::uint32_t k = k0; k < k0 + 2 * kLanes && k < frames; ++k)
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
            out[k] = splitter.band;
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
