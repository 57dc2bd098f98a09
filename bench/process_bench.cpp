// Process at the common host rates: 512-frame blocks, a Retro voicing with
// feedback near the top and a dotted-eighth delay at 120 BPM, noise input.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "blockbench.h"
#include "vx9testpack.h"

namespace {

constexpr std::uint32_t kBlock = 512;

void BM_Process(benchmark::State& state)
{
    const auto rate = static_cast<double>(state.range(0));
    VX9TestMachine m(static_cast<float>(rate), kBlock);
    if (m.setupResult.code != 0) {
        state.SkipWithError("set-up failed");
        return;
    }
    VoiceFromController(m.t, static_cast<float>(rate), kRetro, kNormal, 0.375, 8.0);
    m.reset();

    RunBlocks(state, rate, kBlock,
              [&](const float* in, float* out, std::uint32_t frames) { m.block(in, out, frames); });
}

BENCHMARK(BM_Process)->ArgName("rate")->Arg(44100)->Arg(48000)->Arg(96000)->Arg(192000);

} // namespace

BENCHMARK_MAIN();
