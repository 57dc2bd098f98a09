// Every kind of file the build writes: the same audio gives the same bytes,
// integerSamples() tells whether values beyond full scale survive, and a
// failed write is named in the command's words.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <string>
#include <thread>

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#endif
#include <vector>

#include "tests/host/audio/audiotest.h"

namespace {

// A tenth of a second of a 440 Hz tone peaking at 1.5.
std::vector<float> LoudTone()
{
    std::vector<float> tone(4800);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = 1.5f * static_cast<float>(std::sin(2 * std::numbers::pi * 440 * i / 48000.0));
    return tone;
}

} // namespace

TEST_F(AudioFileTest, TheSameAudioGivesTheSameBytes)
{
    for (const Output& output : kOutputs)
        WriteAll(output.create(path("first-" + output.name)), LoudTone(), 1);
    // Longer than the one-second resolution of a time stamp in a header.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    for (const Output& output : kOutputs) {
        WriteAll(output.create(path("second-" + output.name)), LoudTone(), 1);
        EXPECT_EQ(readBytes(path("first-" + output.name)), readBytes(path("second-" + output.name)))
            << output.name;
    }
}

TEST_F(AudioFileTest, IntegerFilesSaturateAtFullScale)
{
    std::vector<Output> outputs = kOutputs;
#if TAPEDELAY_HAVE_SNDFILE
    outputs.push_back({"out.ogg", Mono});
#endif
    for (const Output& output : outputs) {
        const std::string file = path(output.name);
        std::unique_ptr<AudioSink> sink = output.create(file);
        const bool integers = sink->integerSamples();
        WriteAll(std::move(sink), LoudTone(), 1);
        const std::vector<float> samples = ReadAll(*OpenAudioSource(file, 48000));
        const float peak =
            std::fabs(std::ranges::max(samples, {}, [](float x) { return std::fabs(x); }));
        EXPECT_EQ(integers, peak <= 1.0f) << output.name << " peaks at " << peak;
        EXPECT_GT(peak, 0.9f) << output.name;
    }
}

#if !defined(_WIN32)
TEST_F(AudioFileTest, AFailedWriteIsNamedAsTheSystemNamesIt)
{
    // Files may grow to 16 KiB (a full disk fails the same way, with its
    // own reason); a second of noise is more in every format.
    const auto limited = [] {
        const rlimit limit{16384, 16384};
        return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    };
    for (const Output& output : kOutputs) {
        const std::string file = path(output.name);
        EXPECT_EQ(ErrorInAChild(limited, [&] { WriteAll(output.create(file), Noise(48000), 1); }),
                  file + ": write failed: File too large");
    }
    EXPECT_TRUE(listing().empty()); // no temporary files left
}
#endif
