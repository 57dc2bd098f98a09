// The per-sample figures every audio benchmark reports:
//   ns_per_sample  CPU time per mono sample
//   rt_factor      seconds of audio processed per second of CPU
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

inline void ReportSamples(benchmark::State& state, double samplesPerIteration, double rate)
{
    const double samples = static_cast<double>(state.iterations()) * samplesPerIteration;
    state.SetItemsProcessed(static_cast<std::int64_t>(samples));
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["rt_factor"] = benchmark::Counter(samples / rate, benchmark::Counter::kIsRate);
}
