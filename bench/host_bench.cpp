// The reference host around the kernel: one plug-in instance loaded from the
// built library, driven block by block as `tapedelay render` drives it (the
// walk over pending changes, the glide records, the block call, update, the
// meters). Same voicing and input as the kernel's own benchmark, so the
// difference is the host's share.
#include <benchmark/benchmark.h>

#include "blockbench.h"
#include "host/cli/rendersettings.h"
#include "host/runtime/plugininstance.h"

namespace {

constexpr std::uint32_t kBlock = 512;

void BM_HostInstance(benchmark::State& state)
{
    const auto rate = static_cast<double>(state.range(0));
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const PluginDescription description = DescribeLibrary(library);
    InstanceSettings settings;
    settings.sampleRate = rate;
    settings.maxBlockFrames = kBlock;
    std::vector<StartingValue> values;
    for (const char* value : {"mode=Retro", "fbak=8", ".bpm=120", "nval=8th", "dot3=Dotted"}) {
        const ParameterSetting setting = ParseAssignment(description, value, "bench");
        values.emplace_back(setting.index, setting.value);
    }
    PluginInstance instance(library, settings);
    instance.start(values);

    RunBlocks(state, rate, kBlock, [&](const float* in, float* out, std::uint32_t frames) {
        instance.process(in, out, frames);
    });
}

BENCHMARK(BM_HostInstance)->ArgName("rate")->Arg(48000);

} // namespace
