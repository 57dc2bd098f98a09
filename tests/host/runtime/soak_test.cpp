// A long render through the built library, as the host renders, in each
// mode (see soaksignal.h): the output must stay finite and bounded, and the
// process must not grow after the first round. How fast the soaked
// instance runs is the benchmark's BM_Soak. The figures are printed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "host/pluginhost/residentmemory.h"
#include "tests/support/soaksignal.h"

namespace {

// Input +12 dB and the dry path at half blend, output near unity, plus a
// wet path the tape's clamp keeps near full scale: well under 4.
constexpr float kLoudest = 4.0f;

TEST(Soak, LongRendersStayFiniteBoundedAndFlatInEveryMode)
{
    const int rounds = SoakRounds();
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    for (const char* mode : {"Vintage", "Retro", "Modern"}) {
        const std::unique_ptr<PluginInstance> instance = StartSoakInstance(library, mode);
        std::vector<float> block(kSoakBlock);
        std::uint64_t seed = 1;
        std::uint64_t at = 0;
        float peak = 0.0f;
        long memoryAfterWarmUp = 0;
        for (int round = 0; round < rounds; ++round) {
            if (round == 1)
                memoryAfterWarmUp = static_cast<long>(ResidentBytes() / 1024);
            for (int turn = 0; turn < kSoakTurns; ++turn)
                for (std::uint64_t b = 0; b < kSoakTurnBlocks; ++b, at += kSoakBlock) {
                    FillSoakBlock(block, turn, at, seed);
                    instance->process(block.data(), block.data(), kSoakBlock);
                    for (const float y : block) {
                        ASSERT_TRUE(std::isfinite(y)) << mode << " at sample " << at;
                        peak = std::max(peak, std::fabs(y));
                    }
                }
        }
        const long memoryAtEnd = static_cast<long>(ResidentBytes() / 1024);
        std::printf("%s: %.0f s of audio, peak %.3f (%.2f dBFS), RSS %ld kB after the first "
                    "round, %ld kB at the end\n",
                    mode, static_cast<double>(at) / kSoakRate, peak, 20.0 * std::log10(peak),
                    memoryAfterWarmUp, memoryAtEnd);
        EXPECT_LE(peak, kLoudest) << mode;
        EXPECT_LE(memoryAtEnd - memoryAfterWarmUp, 1024) << mode;
    }
}

} // namespace
