// What the kernel benchmarks share: an algorithm set up at the benchmark's
// rate, and noise histories long enough for a block of every dot product's
// windows, lanes included.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "tapedelay/source/kernel/vx9simd.h"
#include "tests/support/vx9testpack.h"

inline constexpr std::uint32_t kBlock = 512;

// The lane floor's lanes: eight, as AVX-512 holds them, whatever the file
// is compiled for.
inline constexpr int kFloorLanes = 8;
using FloorLanes = VX9Lanes<kFloorLanes>;

// The common host rates, as the benchmark's argument.
inline void Rates(benchmark::internal::Benchmark* b)
{
    b->ArgName("rate")->Arg(44100)->Arg(48000)->Arg(96000)->Arg(192000);
}

// The algorithm set up at the rate the benchmark's argument names, or none
// (the benchmark then reports why).
inline std::unique_ptr<VX9TestMachine> MachineAt(benchmark::State& state)
{
    auto m = std::make_unique<VX9TestMachine>(static_cast<float>(state.range(0)), kBlock);
    if (m->setupResult.code != 0) {
        state.SkipWithError("set-up failed");
        return nullptr;
    }
    return m;
}

struct DotInputs {
    explicit DotInputs(const VX9Algorithm& a)
        : taps(a.interpTaps),
          factor(a.oversampling),
          upTaps(a.resampler.UpTaps()),
          tape(TestNoise(kBlock + taps + kSpare, 0.5f, 2)),
          ring(TestNoise(kBlock + taps + kSpare, 0.5f, 3)),
          up(kBlock + upTaps + kSpare),
          down(up.size() * static_cast<std::size_t>(factor))
    {
        for (std::size_t i = 0; i < up.size(); ++i)
            up[i] = tape[i % tape.size()];
        for (std::size_t i = 0; i < down.size(); ++i)
            down[i] = ring[i % ring.size()];
    }

    static constexpr std::uint32_t kSpare = 2 * kFloorLanes; // two groups of lanes
    int taps;
    int factor;
    int upTaps;
    std::vector<float> tape;  // the head's samples
    std::vector<float> ring;  // the comb's
    std::vector<double> up;   // the interpolator's
    std::vector<double> down; // the decimator's
};
