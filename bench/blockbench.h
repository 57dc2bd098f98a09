// Runs an audio block routine on a fixed block of noise and reports the
// per-sample figures every audio benchmark gives:
//   ns_per_sample  CPU time per mono sample, in nanoseconds
//   rt_factor      seconds of audio processed per second of CPU
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

// block(input, output, frames) is timed once per iteration.
template <class Block>
void RunBlocks(benchmark::State& state, double rate, std::uint32_t frames, Block block)
{
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> noise(-0.25f, 0.25f);
    std::vector<float> input(frames);
    for (float& x : input)
        x = noise(rng);
    std::vector<float> output(frames);

    for (auto _ : state) {
        block(input.data(), output.data(), frames);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }

    const double samples = static_cast<double>(state.iterations()) * frames;
    state.SetItemsProcessed(static_cast<std::int64_t>(samples));
    // A rate inverted is seconds per unit: counting samples in billions
    // gives nanoseconds per sample.
    state.counters["ns_per_sample"] = benchmark::Counter(
        samples * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["rt_factor"] = benchmark::Counter(samples / rate, benchmark::Counter::kIsRate);
}

// The run lengths hosts use, from one frame to a long offline block.
inline void HostBlockSizes(benchmark::internal::Benchmark* b)
{
    b->ArgName("frames");
    for (const int frames : {1, 16, 64, 256, 4096})
        b->Arg(frames);
}
