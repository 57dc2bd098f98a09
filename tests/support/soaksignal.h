// The soak's setting and signal, shared by its unit test and its benchmark:
// an instance at 48000 Hz with Feedback and Input at the top of their dials,
// fed full-scale noise, a clipped square wave and silence in turns of two
// seconds. TAPEDELAY_SOAK_SECONDS sets the audio per mode (default 30; the
// full soak is 600).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "host/runtime/plugininstance.h"

inline constexpr double kSoakRate = 48000.0;
inline constexpr std::uint32_t kSoakBlock = 512;
inline constexpr int kSoakTurns = 3; // noise, square, silence
inline constexpr const char* kSoakTurnNames[kSoakTurns] = {"noise", "square", "silence"};
// Whole blocks, at least two seconds.
inline constexpr std::uint64_t kSoakTurnBlocks =
    (2 * static_cast<std::uint64_t>(kSoakRate) + kSoakBlock - 1) / kSoakBlock;

inline double SoakSeconds()
{
    const char* text = std::getenv("TAPEDELAY_SOAK_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 30.0;
}

// Rounds of the three turns in SoakSeconds(), at least three.
inline int SoakRounds()
{
    const double round = static_cast<double>(kSoakTurnBlocks * kSoakBlock * kSoakTurns) / kSoakRate;
    return std::max(3, static_cast<int>(SoakSeconds() / round));
}

// One block of turn `turn`'s signal, from sample `at` on.
inline void FillSoakBlock(std::vector<float>& block, int turn, std::uint64_t at,
                          std::uint64_t& seed)
{
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (turn == 0) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            block[i] = static_cast<float>(static_cast<std::int32_t>(seed >> 32)) * 0x1p-31f;
        } else if (turn == 1) {
            const double phase =
                2.0 * std::numbers::pi * 110.0 * static_cast<double>(at + i) / kSoakRate;
            block[i] = static_cast<float>(std::clamp(8.0 * std::sin(phase), -1.0, 1.0));
        } else {
            block[i] = 0.0f;
        }
    }
}

// An instance in `mode` with Feedback and Input at the top, started.
inline std::unique_ptr<PluginInstance> StartSoakInstance(PluginLibrary& library,
                                                         const std::string& mode)
{
    InstanceSettings settings;
    settings.sampleRate = kSoakRate;
    settings.maxBlockFrames = kSoakBlock;
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
