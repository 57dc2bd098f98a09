// Renders that do what a musician means: starting values turned in as a
// user sets controls, the pre-roll, events at their own samples, and the
// warnings and level control around the output.
#include "commandtest.h"

#include "host/cli/job/renderrun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace {

constexpr int kRate = 48000;

float Peak(const std::vector<float>& y, std::size_t from, std::size_t to)
{
    float peak = 0.0f;
    for (std::size_t i = from; i < std::min(to, y.size()); ++i)
        peak = std::max(peak, std::fabs(y[i]));
    return peak;
}

double Db(double ratio)
{
    return 20.0 * std::log10(ratio);
}

struct HostRules : CommandTest {
    // Clicks of 0.5 at the given frames of `seconds` of silence through the
    // default voicing with an 0.25 s delay: the peak of each of the first
    // `echoes` echoes of each click.
    std::vector<float> echoPeaks(std::vector<std::string> options,
                                 const std::vector<std::size_t>& clicks, std::size_t echoes,
                                 int seconds)
    {
        std::vector<float> input(static_cast<std::size_t>(seconds * kRate), 0.0f);
        for (const std::size_t click : clicks)
            input[click] = 0.5f;
        writeRaw(path("clicks.f32"), input);
        options.insert(options.begin(), {"--tail", "0", "--set", "time=0.25"});
        EXPECT_EQ(render(options, path("clicks.f32"), path("echoes.f32")), 0);
        const std::vector<float> y = readRaw(path("echoes.f32"));
        std::vector<float> peaks;
        for (const std::size_t click : clicks)
            for (std::size_t k = 1; k <= echoes; ++k)
                peaks.push_back(
                    Peak(y, click + k * kRate / 4 - kRate / 8, click + k * kRate / 4 + kRate / 8));
        return peaks;
    }
};

TEST_F(HostRules, FeedbackFromTheStartFollowsTheModeAsWhenTurnedDuringPlayback)
{
    // Silence while the feedback glide settles, then a click at 2 s.
    const auto echoes = [&](const std::string& option, const std::string& value) {
        return echoPeaks({"--preroll", "0", option, value}, {2 * kRate}, 8, 5);
    };
    const std::vector<float> fromStart = echoes("--set", "fbak=9");
    const std::vector<float> turned = echoes("--at", "0:fbak=9");
    for (std::size_t k = 0; k < fromStart.size(); ++k)
        EXPECT_NEAR(Db(fromStart[k] / turned[k]), 0.0, 0.1) << "echo " << k + 1;
    // Retro at 9 holds the echoes up; they do not die away.
    EXPECT_GT(fromStart.back(), fromStart.front());
}

TEST_F(HostRules, APrerollMakesTheFirstEchoAsLoudAsTheRest)
{
    const auto firstBelowMedian = [](std::vector<float> echoes) {
        const float first = echoes.front();
        std::sort(echoes.begin() + 1, echoes.end());
        return Db(echoes[echoes.size() / 2] / first);
    };
    // Clicks every second from 0.1 s, each one's first echo.
    std::vector<std::size_t> clicks;
    for (int k = 0; k < 6; ++k)
        clicks.push_back(static_cast<std::size_t>(kRate / 10 + k * kRate));
    EXPECT_GT(firstBelowMedian(echoPeaks({"--preroll", "0"}, clicks, 1, 6)), 6.0);
    EXPECT_LT(std::fabs(firstBelowMedian(echoPeaks({"--preroll", "3"}, clicks, 1, 6))), 1.0);
}

TEST_F(HostRules, ARenderPrerollsAndRingsOutUnlessToldOtherwise)
{
    std::vector<float> input(static_cast<std::size_t>(kRate), 0.0f);
    input[kRate / 10] = 0.5f;
    writeRaw(path("click.f32"), input);
    ASSERT_EQ(runCapturing({"render", path("click.f32"), path("default.f32")}), 0);
    EXPECT_TRUE(said("after 3 s of pre-roll")) << errors;
    EXPECT_TRUE(said("; tail ")) << errors;
    ASSERT_EQ(render({"--preroll", "3", "--tail", "auto"}, path("click.f32"), path("given.f32")),
              0);
    const std::vector<float> rendered = readRaw(path("default.f32"));
    EXPECT_TRUE(rendered == readRaw(path("given.f32")));
    EXPECT_GT(rendered.size(), input.size() + kRate / 2);
    ASSERT_EQ(render({"--preroll", "0", "--tail", "0"}, path("click.f32"), path("raw.f32")), 0);
    EXPECT_EQ(readRaw(path("raw.f32")).size(), input.size());
}

// The levels the help and the README give for the dry signal, measured
// before the first echo (2 s away) on a 1 kHz sine.
TEST_F(HostRules, TheDrySignalHasTheDocumentedGain)
{
    std::vector<float> sine(static_cast<std::size_t>(kRate));
    for (std::size_t i = 0; i < sine.size(); ++i)
        sine[i] = 0.1f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 * i / kRate));
    writeRaw(path("sine.f32"), sine);
    const auto energy = [](const std::vector<float>& x) {
        double sum = 0.0;
        for (std::size_t i = kRate / 10; i < kRate * 9 / 10; ++i)
            sum += static_cast<double>(x[i]) * x[i];
        return sum;
    };
    for (const auto& [dials, expected] : std::vector<std::pair<std::vector<std::string>, double>>{
             {{"inpt=5", "oput=4.5", "blnd=5"}, -9.4},
             {{"inpt=5", "oput=4.556", "blnd=1"}, 0.0},
             {{"inpt=9", "oput=4.556", "blnd=1"}, 12.0},
             {{"inpt=5", "oput=9", "blnd=1"}, 15.0},
             {{"inpt=5", "oput=4.556", "blnd=7"}, -25.3},
             {{"inpt=5", "oput=4.556", "blnd=9"}, -52.0}}) {
        std::vector<std::string> line = {"--tail", "0", "--set", "time=2"};
        for (const std::string& dial : dials)
            line.insert(line.end(), {"--set", dial});
        ASSERT_EQ(render(line, path("sine.f32"), path("out.f32")), 0);
        const double db = 10.0 * std::log10(energy(readRaw(path("out.f32"))) / energy(sine));
        EXPECT_NEAR(db, expected, 0.06) << dials[0] << " " << dials[1] << " " << dials[2];
    }
}

TEST_F(HostRules, WithAPrerollEventsStillLandOnTheirSamplesWhateverTheBlockSize)
{
    const std::vector<float> input = Noise(kRate, 0.5f);
    writeRaw(path("in.f32"), input);
    const auto inBlocks = [&](const std::string& block, const std::vector<std::string>& events) {
        std::vector<std::string> line = {"--preroll", "0.3", "--tail", "0.2",
                                         "--block",   block, "--set",  "fbak=6"};
        line.insert(line.end(), events.begin(), events.end());
        EXPECT_EQ(render(line, path("in.f32"), path("out.f32")), 0);
        return readRaw(path("out.f32"));
    };
    const std::vector<std::string> events = {"--at",  "0.2:time=0.1", "--at", "0.31:oput=7",
                                             "--tap", "0.5:140",      "--at", "0.5:nval=8th"};
    for (const std::vector<std::string>& scheduled : {std::vector<std::string>{}, events}) {
        const std::vector<float> first = inBlocks("1", scheduled);
        ASSERT_EQ(first.size(), input.size() + kRate / 5);
        for (const char* block : {"64", "4096"})
            EXPECT_TRUE(inBlocks(block, scheduled) == first) << block << " " << scheduled.size();
    }
    // The Output change at 0.31 s counts from the input's start: the render
    // without it agrees up to sample 14880 and not at it.
    const std::vector<float> with = inBlocks("4096", {"--at", "0.31:oput=7"});
    const std::vector<float> without = inBlocks("4096", {});
    const std::size_t due = 14880;
    EXPECT_EQ(std::memcmp(with.data(), without.data(), due * sizeof(float)), 0);
    EXPECT_NE(with[due], without[due]);
}

// The summary gives the file's peak, the output's and the delay the plug-in
// ended on; settings without effect are named.
TEST_F(HostRules, TheSummaryGivesThePeaksAndTheDelayAndNamesSettingsWithoutEffect)
{
    writeRaw(path("in.f32"), Noise(kRate, 0.5f));
    ASSERT_EQ(
        runCapturing({"render",   "--tail",       "0.5",          "--session-bpm", "90",
                      "--set",    "tlok=on",      "--set",        "time=0.3",      "--set",
                      ".bpm=100", "--set",        "nval=qtr",     "--at",          "0.4:time=0.6",
                      "--at",     "1.5:fbak=3",   "--at",         "1.499:fbak=4",  "--tap",
                      "2:100",    path("in.f32"), path("out.f32")}),
        0);
    const std::vector<float> output = readRaw(path("out.f32"));
    char peaks[64];
    std::snprintf(peaks, sizeof peaks, "peaks: in -6.0 dBFS, out %.1f dBFS",
                  Db(Peak(output, 0, output.size())));
    EXPECT_TRUE(said(peaks)) << errors;
    EXPECT_TRUE(said("delay 0.667 s (BPM Delay Time), session tempo 90 BPM")) << errors;
    EXPECT_TRUE(said("--set time=0.3 has no effect: Note Value is 8th")) << errors;
    EXPECT_TRUE(said("--at 0.4:time=0.6 has no effect: Note Value is Quarter")) << errors;
    EXPECT_TRUE(said("--at 1.5:fbak=3 comes after the end of the output")) << errors;
    EXPECT_TRUE(said("--tap 2:100 comes after the end")) << errors;
    EXPECT_FALSE(said("fbak=4")) << errors;
    EXPECT_FALSE(said(".bpm=100")) << errors;

    // Choosing a note value sets BPM so that the note keeps the delay: a BPM
    // given before it is lost, and the user hears why.
    ASSERT_EQ(runCapturing({"render", "--quiet", "--set", ".bpm=100", "--set", "nval=8th",
                            path("in.f32"), path("out.f32")}),
              0);
    EXPECT_TRUE(said("--set .bpm=100: the plug-in changed BPM to 60 bpm")) << errors;
}

TEST_F(HostRules, NormalizeBringsTheHighestPeakToTheLevelAndWarnsAboveFullScale)
{
    writeRaw(path("in.f32"), Noise(kRate, 0.9f));
    std::vector<std::string> line = {"render",       "--quiet",       "--set", "inpt=9",
                                     "--set",        "oput=9",        "--set", "fbak=9",
                                     path("in.f32"), path("loud.f32")};
    ASSERT_EQ(runCapturing(line), 0);
    EXPECT_TRUE(said("above full scale")) << errors;
    const std::vector<float> loud = readRaw(path("loud.f32"));

    line.insert(line.end() - 2, {"--normalize", "-1"});
    line.back() = path("level.f32");
    ASSERT_EQ(runCapturing(line), 0);
    EXPECT_FALSE(said("above full scale")) << errors;
    const std::vector<float> level = readRaw(path("level.f32"));
    ASSERT_EQ(level.size(), loud.size());
    const float peak = Peak(level, 0, level.size());
    EXPECT_NEAR(Db(peak), -1.0, 0.001);
    const double gain = static_cast<double>(peak) / Peak(loud, 0, loud.size());
    for (std::size_t i = 0; i < level.size(); i += 997)
        ASSERT_NEAR(level[i], loud[i] * gain, 1e-6) << i;

    writeRaw(path("silence.f32"), std::vector<float>(1000, 0.0f));
    ASSERT_EQ(runCapturing({"render", "--quiet", "--set", "bypa=1", "--normalize", "-3",
                            path("silence.f32"), path("still.f32")}),
              0);
    EXPECT_TRUE(said("silent")) << errors;
    EXPECT_EQ(Peak(readRaw(path("still.f32")), 0, 3000), 0.0f);
    for (const char* level : {"1", "-121", "loud"})
        EXPECT_EQ(run({"render", "--normalize", level, path("in.f32"), path("x.f32")}), 2);
}

TEST_F(HostRules, TheSummarySaysWhatTheFileHoldsPerChannelAndOncePerFile)
{
    // Stereo: a left channel that clips in a FLAC file, a quiet right one.
    writeStereo(path("in.wav"), Noise(kRate, 0.9f, 3), Noise(kRate, 0.05f, 4));
    const std::vector<std::string> loud = {"render", "--preroll", "0",      "--tail",
                                           "0.5",    "--set",     "inpt=9", "--set",
                                           "oput=9", "--set",     "fbak=9", path("in.wav")};
    const auto renderTo = [&](const std::string& out, std::vector<std::string> extra = {}) {
        std::vector<std::string> line = loud;
        line.insert(line.end() - 1, extra.begin(), extra.end());
        line.push_back(path(out));
        return runCapturing(line);
    };
    ASSERT_EQ(renderTo("float.wav"), 0);
    const std::vector<float> rendered = Samples(path("float.wav"));
    float peak[2] = {};
    std::size_t over[2] = {};
    for (std::size_t i = 0; i < rendered.size(); ++i) {
        peak[i % 2] = std::max(peak[i % 2], std::fabs(rendered[i]));
        over[i % 2] += std::fabs(rendered[i]) > 1.0f ? 1 : 0;
    }
    ASSERT_GT(over[0], 1u);
    ASSERT_EQ(over[1], 0u);
    EXPECT_TRUE(said("channel 1: in -0.9 dBFS, out " + PeakText(peak[0]) + "; ")) << errors;

#if TAPEDELAY_HAVE_SNDFILE
    // A FLAC file holds integers: the samples beyond full scale are counted.
    ASSERT_EQ(renderTo("clipped.flac"), 0);
    EXPECT_TRUE(said("channel 1: in -0.9 dBFS, out 0.0 dBFS (" + std::to_string(over[0]) +
                     " samples clipped from " + PeakText(peak[0]) +
                     "); channel 2: in -26.0 dBFS, "
                     "out " +
                     PeakText(peak[1]) + "; delay"))
        << errors;
    EXPECT_TRUE(said(std::to_string(over[0]) + " samples above full scale were clipped")) << errors;
#endif

    ASSERT_EQ(renderTo("level.wav", {"--normalize", "-1"}), 0);
    // Once, after the last channel's peaks.
    const std::size_t note = errors.find("; output normalized by ");
    ASSERT_NE(note, std::string::npos) << errors;
    EXPECT_GT(note, errors.find("channel 2: "));
    EXPECT_EQ(errors.rfind("normalized"), note + 9) << errors;

    // A file cut short renders what it holds, and says so.
    const Bytes whole = readBytes(path("in.wav"));
    writeBytes(path("cut.wav"), whole.data(), whole.size() - (kRate - 27) * 8);
    ASSERT_EQ(runCapturing({"render", "--quiet", "--preroll", "0", "--tail", "0", path("cut.wav"),
                            path("cut-out.wav")}),
              0);
    EXPECT_EQ(errors, "tapedelay: warning: " + path("cut.wav") +
                          ": truncated: the header promises 48000 frames, 27 were read\n");
    EXPECT_EQ(OpenAudioSource(path("cut-out.wav"), 0)->frames(), 27u);
}

} // namespace
