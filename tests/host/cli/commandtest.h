// Running the tapedelay command in-process on the built plug-in library, with
// files in a scratch directory of its own.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/cli/commands.h"
#include "tests/host/scratchdirectory.h"

struct CommandTest : ScratchDirectory {
    // The command line after "tapedelay", on the library under test.
    static int run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin() + 1, {"--plugin", TAPEDELAY_PLUGIN_FILE});
        return RunTapedelay(arguments);
    }

    static void writeRaw(const std::string& file, const std::vector<float>& samples)
    {
        writeBytes(file, samples.data(), samples.size() * sizeof(float));
    }

    static std::vector<float> readRaw(const std::string& file)
    {
        const Bytes bytes = readBytes(file);
        std::vector<float> samples(bytes.size() / sizeof(float));
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
        return samples;
    }
};

// Deterministic noise in -amplitude..amplitude.
inline std::vector<float> Noise(std::size_t length, float amplitude, std::uint32_t seed = 1)
{
    std::vector<float> samples(length);
    for (float& x : samples) {
        seed = seed * 1664525u + 1013904223u;
        x = amplitude * (static_cast<float>(seed >> 8) / 8388608.0f - 1.0f);
    }
    return samples;
}
