// A test fixture with a scratch directory of its own, removed afterwards,
// whole-file byte and text helpers, and deterministic noise.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct ScratchDirectory : ::testing::Test {
    ScratchDirectory()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("tapedelay-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
               std::to_string(std::random_device{}()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    ~ScratchDirectory() override { std::filesystem::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    std::vector<std::string> listing() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        return names;
    }

    static Bytes readBytes(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    static void writeBytes(const std::string& file, const void* bytes, std::size_t size)
    {
        std::ofstream(file, std::ios::binary)
            .write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    }
    static void writeBytes(const std::string& file, const Bytes& bytes)
    {
        writeBytes(file, bytes.data(), bytes.size());
    }
    static void writeText(const std::string& file, const std::string& text)
    {
        writeBytes(file, text.data(), text.size());
    }
    static std::string readText(const std::string& file)
    {
        const Bytes bytes = readBytes(file);
        return {bytes.begin(), bytes.end()};
    }

    std::filesystem::path dir;
};

// Deterministic noise in -amplitude..amplitude, which compresses badly.
inline std::vector<float> Noise(std::size_t length, float amplitude = 0.5f, std::uint32_t seed = 1)
{
    std::vector<float> samples(length);
    for (float& x : samples) {
        seed = seed * 1664525u + 1013904223u;
        x = amplitude * (static_cast<float>(seed >> 8) / 8388608.0f - 1.0f);
    }
    return samples;
}
