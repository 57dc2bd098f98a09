// A long render through the built library, as the host renders: at 48000 Hz,
// in each mode, with Feedback and Input at the top of their dials, fed
// full-scale noise, a clipped square wave and silence in turns of two
// seconds. The output must stay finite and bounded, the process must not
// grow after the first round, and the blocks must not slow down (denormals
// in a decaying tail would): in the last round the fastest block of each
// turn stays within 20 % of a fresh instance's.
//
// TAPEDELAY_SOAK_SECONDS sets the audio per mode (default 30; the full soak
// is 600). The figures are printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "host/runtime/plugininstance.h"

namespace {

constexpr double kRate = 48000.0;
constexpr std::uint32_t kBlock = 512;
constexpr int kTurnSeconds = 2;
constexpr int kTurns = 3; // noise, square, silence
// Input +12 dB and the dry path at half blend, output near unity, plus a
// wet path the tape's clamp keeps near full scale: well under 4.
constexpr float kLoudest = 4.0f;

double SoakSeconds()
{
    const char* text = std::getenv("TAPEDELAY_SOAK_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 30.0;
}

// The process's resident memory in kB (Linux).
long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
    return -1;
}

// One block of turn `turn`'s signal, from sample `at` on.
void Fill(std::vector<float>& block, int turn, std::uint64_t at, std::uint64_t& seed)
{
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (turn == 0) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            block[i] = static_cast<float>(static_cast<std::int32_t>(seed >> 32)) * 0x1p-31f;
        } else if (turn == 1) {
            const double phase = 2.0 * 3.141592653589793 * 110.0 * double(at + i) / kRate;
            block[i] = static_cast<float>(std::clamp(8.0 * std::sin(phase), -1.0, 1.0));
        } else {
            block[i] = 0.0f;
        }
    }
}

// An instance in `mode` with Feedback and Input at the top, started.
std::unique_ptr<PluginInstance> Started(PluginLibrary& library, const char* mode)
{
    InstanceSettings settings;
    settings.sampleRate = kRate;
    settings.maxBlockFrames = kBlock;
    auto instance = std::make_unique<PluginInstance>(library, settings);
    const PluginDescription& d = instance->description();
    const std::vector<std::string>& modes = d.parameters[*d.find("mode")].options;
    const auto modeIndex = std::find(modes.begin(), modes.end(), mode) - modes.begin();
    const StartingValue values[] = {{*d.find("mode"), static_cast<double>(modeIndex)},
                                    {*d.find("fbak"), 9.0},
                                    {*d.find("inpt"), 9.0}};
    instance->start(values);
    return instance;
}

// One block in place; its time in microseconds.
double Timed(PluginInstance& instance, std::vector<float>& block)
{
    const auto start = std::chrono::steady_clock::now();
    instance.process(block.data(), block.data(), kBlock);
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

// Another process can only lengthen a block; a slow-down of the plug-in's
// own lengthens every one.
double Fastest(const std::vector<double>& times)
{
    return *std::min_element(times.begin(), times.end());
}

// The block times are compared with those of a fresh instance fed the same
// blocks in the last round, alternately, so that the machine's own changes
// of pace (frequency, a neighbour's load) fall on both alike.
TEST(Soak, LongRendersStayFiniteBoundedAndSteadyInEveryMode)
{
    const double seconds = SoakSeconds();
    const auto rounds = std::max(3, static_cast<int>(seconds / (kTurnSeconds * kTurns)));
    // Whole blocks, at least a turn's seconds.
    const std::uint64_t turnBlocks =
        (kTurnSeconds * static_cast<std::uint64_t>(kRate) + kBlock - 1) / kBlock;
    const char* turnNames[] = {"noise", "square", "silence"};
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);

    for (const char* mode : {"Vintage", "Retro", "Modern"}) {
        const std::unique_ptr<PluginInstance> soaked = Started(library, mode);
        std::unique_ptr<PluginInstance> fresh;
        std::vector<float> block(kBlock);
        std::vector<float> copy(kBlock);
        std::uint64_t seed = 1;
        std::uint64_t at = 0;
        float peak = 0.0f;
        long memoryAfterWarmUp = 0;
        long memoryBeforeLast = 0;
        std::vector<std::vector<double>> soakedTimes(kTurns);
        std::vector<std::vector<double>> freshTimes(kTurns);
        for (int round = 0; round < rounds; ++round) {
            const bool last = round == rounds - 1;
            if (round == 1)
                memoryAfterWarmUp = ResidentKilobytes();
            if (last) {
                memoryBeforeLast = ResidentKilobytes();
                fresh = Started(library, mode);
            }
            for (int turn = 0; turn < kTurns; ++turn)
                for (std::uint64_t b = 0; b < turnBlocks; ++b, at += kBlock) {
                    Fill(block, turn, at, seed);
                    copy = block;
                    if (!last) {
                        Timed(*soaked, block);
                    } else if (b % 2 == 0) {
                        soakedTimes[turn].push_back(Timed(*soaked, block));
                        freshTimes[turn].push_back(Timed(*fresh, copy));
                    } else {
                        freshTimes[turn].push_back(Timed(*fresh, copy));
                        soakedTimes[turn].push_back(Timed(*soaked, block));
                    }
                    for (const float y : block) {
                        ASSERT_TRUE(std::isfinite(y)) << mode << " at sample " << at;
                        peak = std::max(peak, std::fabs(y));
                    }
                }
        }

        std::printf("%s: %.0f s of audio, peak %.3f (%.2f dBFS), RSS %ld kB after the first "
                    "round, %ld kB after %.0f s\n",
                    mode, static_cast<double>(at) / kRate, peak, 20.0 * std::log10(peak),
                    memoryAfterWarmUp, memoryBeforeLast,
                    static_cast<double>(turnBlocks * kBlock * kTurns * (rounds - 1)) / kRate);
        EXPECT_LE(peak, kLoudest) << mode;
        EXPECT_LE(memoryBeforeLast - memoryAfterWarmUp, 1024) << mode;
        for (int turn = 0; turn < kTurns; ++turn) {
            const double start = Fastest(freshTimes[turn]);
            const double end = Fastest(soakedTimes[turn]);
            std::printf("  %-7s fastest block %.1f us fresh, %.1f us at the end (%+.1f %%)\n",
                        turnNames[turn], start, end, 100.0 * (end / start - 1.0));
            EXPECT_LE(end, start * 1.2) << mode << ", " << turnNames[turn];
        }
    }
}

} // namespace
