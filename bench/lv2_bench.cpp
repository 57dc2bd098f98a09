// The LV2 bundle's run as a host calls it: the adapter's shared object from
// the built bundle, at the demo's dub voicing, in runs of the given length.
#include <benchmark/benchmark.h>

#include "blockbench.h"
#include "tests/support/lv2rig.h"

namespace {

constexpr double kRate = 48000.0;

void BM_Lv2Run(benchmark::State& state)
{
    const auto frames = static_cast<std::uint32_t>(state.range(0));
    Lv2Module module;
    Lv2Host host(static_cast<std::int32_t>(frames));
    Lv2Plugin plugin(module, host, kRate);
    plugin.control("fbak") = 8.0f;
    plugin.control("nval") = 3.0f;
    plugin.control("dot3") = 1.0f;
    plugin.control("tone") = 1.0f;
    plugin.activate();
    RunBlocks(state, kRate, frames,
              [&](const float* in, float* out, std::uint32_t n) { plugin.run(in, out, n); });
}

BENCHMARK(BM_Lv2Run)->Apply(HostBlockSizes);

} // namespace
