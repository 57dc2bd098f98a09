// The reference host around the kernel: one plug-in instance loaded from the
// built library, driven block by block as `tapedelay render` drives it (the
// walk over pending changes, the glide records, the block call, update, the
// meters). Same voicing and input as the kernel's own benchmark, so the
// difference is the host's share.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "host/parametervalue.h"
#include "host/plugininstance.h"
#include "samplecounters.h"

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
    for (const char* value : {"mode=Retro", "fbak=8", ".bpm=120", "nval=8th", "dot3=Dotted"}) {
        const std::string text = value;
        const std::size_t equals = text.find('=');
        const std::size_t index = FindParameter(description, text.substr(0, equals));
        settings.initialValues.emplace_back(index, ParseParameterValue(description.parameters[index],
                                                                       text.substr(equals + 1)));
    }
    PluginInstance instance(library, settings);

    std::mt19937 rng(1);
    std::uniform_real_distribution<float> noise(-0.25f, 0.25f);
    std::vector<float> input(kBlock);
    for (float& x : input)
        x = noise(rng);
    std::vector<float> output(kBlock);

    for (auto _ : state) {
        instance.process(input.data(), output.data(), kBlock);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    ReportSamples(state, kBlock, rate);
}

BENCHMARK(BM_HostInstance)->ArgName("rate")->Arg(48000);

} // namespace
