// Whether a long run slows the plug-in down (denormals in a decaying tail
// would): an instance soaked for TAPEDELAY_SOAK_SECONDS in the soak's
// setting and signal (see tests/support/soaksignal.h), then one more
// round, its blocks alternating with those of a fresh instance fed the same
// blocks, so that the machine's own changes of pace fall on both alike.
// Counters, per turn of the signal: the fastest block of each in
// microseconds (another process can only lengthen a block; a slow-down of
// the plug-in's own lengthens every one) and soaked / fresh.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "tests/support/soaksignal.h"

namespace {

double TimedBlock(PluginInstance& instance, std::vector<float>& block)
{
    const auto start = std::chrono::steady_clock::now();
    instance.process(block.data(), block.data(), kSoakBlock);
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

void BM_Soak(benchmark::State& state, const char* mode)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const std::unique_ptr<PluginInstance> soaked = StartSoakInstance(library, mode);
    std::vector<float> block(kSoakBlock);
    std::vector<float> copy(kSoakBlock);
    std::uint64_t seed = 1;
    std::uint64_t at = 0;
    const auto round = [&](PluginInstance* fresh, double* soakedFastest, double* freshFastest) {
        for (int turn = 0; turn < kSoakTurns; ++turn)
            for (std::uint64_t b = 0; b < kSoakTurnBlocks; ++b, at += kSoakBlock) {
                FillSoakBlock(block, turn, at, seed);
                if (fresh == nullptr) {
                    soaked->process(block.data(), block.data(), kSoakBlock);
                    continue;
                }
                copy = block;
                const bool soakedFirst = b % 2 == 0;
                const double first =
                    TimedBlock(soakedFirst ? *soaked : *fresh, soakedFirst ? block : copy);
                const double second =
                    TimedBlock(soakedFirst ? *fresh : *soaked, soakedFirst ? copy : block);
                soakedFastest[turn] = std::min(soakedFastest[turn], soakedFirst ? first : second);
                freshFastest[turn] = std::min(freshFastest[turn], soakedFirst ? second : first);
            }
    };
    for (int r = 1; r < SoakRounds(); ++r)
        round(nullptr, nullptr, nullptr);

    for (auto _ : state) {
        const std::unique_ptr<PluginInstance> fresh = StartSoakInstance(library, mode);
        double soakedFastest[kSoakTurns] = {1e300, 1e300, 1e300};
        double freshFastest[kSoakTurns] = {1e300, 1e300, 1e300};
        round(fresh.get(), soakedFastest, freshFastest);
        for (int turn = 0; turn < kSoakTurns; ++turn) {
            const std::string name = kSoakTurnNames[turn];
            state.counters[name + "_soaked_us"] = soakedFastest[turn];
            state.counters[name + "_fresh_us"] = freshFastest[turn];
            state.counters[name + "_ratio"] = soakedFastest[turn] / freshFastest[turn];
        }
    }
}

BENCHMARK_CAPTURE(BM_Soak, Vintage, "Vintage")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Soak, Retro, "Retro")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Soak, Modern, "Modern")->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
