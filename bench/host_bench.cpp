// The reference host around the kernel: one plug-in instance loaded from the
// built library, driven block by block as `tapedelay render` drives it (the
// walk over pending changes, the glide records, the block call, update, the
// meters). Same voicing and input as the kernel's own benchmark, so the
// difference is the host's share.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "blockbench.h"
#include "host/product/tempo.h"
#include "host/runtime/plugininstance.h"
#include "host/runtime/values/parametervalue.h"
#include "tapedelay/source/kernel/vx9kernel.h"

namespace {

constexpr std::uint32_t kBlock = 512;

// kernel: the block routine the library is asked for ("plain"), or null for
// the one it chooses.
void BM_HostInstance(benchmark::State& state, const char* kernel)
{
    const auto rate = static_cast<double>(state.range(0));
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const PluginDescription description = DescribeLibrary(library);
    InstanceSettings settings;
    settings.sampleRate = rate;
    settings.maxBlockFrames = kBlock;
    settings.sessionTempo = kDefaultSessionTempo;
    std::vector<StartingValue> values;
    for (const char* value : {"mode=Retro", "fbak=8", ".bpm=120", "nval=8th", "dot3=Dotted"})
        values.push_back(ParseParameterAssignment(description, value));
    // The library reads the request when the instance sets it up.
    if (kernel)
        setenv(kVX9KernelVariable, kernel, 1);
    else
        unsetenv(kVX9KernelVariable);
    PluginInstance instance(library, settings);
    unsetenv(kVX9KernelVariable);
    instance.start(values);

    RunBlocks(state, rate, kBlock, [&](const float* in, float* out, std::uint32_t frames) {
        instance.process(in, out, frames);
    });
}

BENCHMARK_CAPTURE(BM_HostInstance, plain, "plain")->ArgName("rate")->Arg(48000);
BENCHMARK_CAPTURE(BM_HostInstance, fast, nullptr)->ArgName("rate")->Arg(48000);

} // namespace
