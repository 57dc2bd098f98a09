// Running the tapedelay command in-process on the built plug-in library, with
// files in a scratch directory of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/commands.h"

struct CommandTest : ::testing::Test {
    CommandTest()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        scratch = std::filesystem::temp_directory_path() /
                  ("tapedelay-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(scratch);
        std::filesystem::create_directories(scratch);
    }
    ~CommandTest() override { std::filesystem::remove_all(scratch); }

    std::string path(const std::string& name) const { return (scratch / name).string(); }

    // The command line after "tapedelay", on the library under test.
    static int run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin() + 1, {"--plugin", TAPEDELAY_PLUGIN_FILE});
        return RunTapedelay(arguments);
    }

    static void writeRaw(const std::string& file, const std::vector<float>& samples)
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(samples.data()),
                  static_cast<std::streamsize>(samples.size() * sizeof(float)));
    }

    static std::vector<float> readRaw(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<float> samples(bytes.size() / sizeof(float));
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
        return samples;
    }

    std::filesystem::path scratch;
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
