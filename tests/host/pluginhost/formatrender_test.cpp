// Each format's test host (vst3host through the VST3 bundle, claphost
// through the CLAP plug-in) renders, bit for bit, what the tapedelay
// command renders with the same values: at any block size, with automation
// points at their own samples, the transport's tempo as the session tempo,
// a state restored into a new instance mid-file, and stereo files as one
// bus or port; and bad input is refused in one line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formatrun.h"

namespace {

constexpr double kRate = 48000.0;
constexpr std::size_t kFrames = 60000;

// "ID=VALUE" settings, in the plug-in's parameter order.
using Setting = std::vector<std::string>;

std::string Sets(const Setting& setting)
{
    std::string options;
    for (const std::string& value : setting)
        options += " --set " + value;
    return options;
}

struct FormatRender : FormatRun {
    FormatRender() { WriteSamples(in, TestSignal(kFrames), kRate); }
    const std::string in = path("in.wav");
};

TEST_P(FormatRender, RendersWhatTheCommandRendersAtAnyBlockSize)
{
    // Each parameter by its ID or by its name, values as text and as
    // plain numbers.
    const std::vector<Setting> settings = {
        {"time=0.3", "fbak=6", "mode=Vintage"},
        {"nval=8th", "Feedback=7.5", "inpt=6.5", "tone=Dark", "dot3=Dotted"},
        {"tlok=on", "nval=Quarter", "oput=6", "blnd=3.5", "mode=Modern"},
        {"time=1.1", ".bpm=90", "fbak=8.5", "tone=Bright"},
        {"fbak=5", "bypa=1"},
    };
    for (const Setting& setting : settings) {
        SCOPED_TRACE(Sets(setting));
        const std::vector<float> expected = command(in, Sets(setting));
        ASSERT_EQ(expected.size(), kFrames);
        for (const char* blocks : {" --block 512", " --block 1", " --random-blocks 3 --block 900"})
            EXPECT_EQ(Difference(host(in, blocks + Sets(setting)), expected), "") << blocks;
    }
}

TEST_P(FormatRender, AutomationPointsTakeEffectAtTheirOwnSample)
{
    // Frames 4800, 11257, 24000 and 37333 (twice): mid-block at any size.
    const std::string points = " --at 0.1:fbak=8 --at 0.234521:time=0.21 --at 0.5:tone=Dark"
                               " --at 0.77777:mode=Modern --at 0.77777:oput=7";
    const std::vector<float> expected = command(in, " --set fbak=3" + points);
    ASSERT_EQ(expected.size(), kFrames);
    EXPECT_NE(Difference(command(in, " --set fbak=3"), expected), "");
    for (const char* blocks : {" --block 256", " --random-blocks 11 --block 700"})
        EXPECT_EQ(
            Difference(host(in, blocks + std::string(" --set Feedback=3") + points), expected), "")
            << blocks;
}

TEST_P(FormatRender, TheTransportTempoIsTheSessionTempo)
{
    const std::string setting = " --set tlok=on --set nval=8th --set dot3=Triplet --set fbak=7";
    const std::vector<float> at96 = command(in, " --session-bpm 96" + setting);
    ASSERT_EQ(at96.size(), kFrames);
    EXPECT_NE(Difference(command(in, setting), at96), "");
    EXPECT_EQ(Difference(host(in, " --tempo 96 --random-blocks 5" + setting), at96), "");
    EXPECT_EQ(Difference(host(in, setting), command(in, setting)), "");
}

// A new instance given the saved state holds every value the old one had;
// its tape starts empty, so from the restore on it renders what a render of
// the rest of the input with those values as starting values renders.
TEST_P(FormatRender, AStateRestoredMidFileCarriesEveryValue)
{
    const std::string given = " --set time=0.2 --set fbak=7 --at 0.3:tone=Bright --at 0.4:oput=6";
    const std::size_t restoreAt = 36000; // 0.75 s
    std::string kept, restored;
    host(in, given + " --show-values", &kept);
    const std::vector<float> output =
        host(in, given + " --show-values --random-blocks 2 --save-restore 0.75", &restored);
    EXPECT_EQ(restored, kept);
    EXPECT_NE(kept.find("tone Tone = Bright"), std::string::npos) << kept;
    EXPECT_NE(kept.find("fbak Feedback = 7"), std::string::npos) << kept;
    ASSERT_EQ(output.size(), kFrames);

    const std::vector<float> whole = command(in, given);
    ASSERT_EQ(whole.size(), kFrames);
    EXPECT_EQ(Difference({output.begin(), output.begin() + restoreAt},
                         {whole.begin(), whole.begin() + restoreAt}),
              "");
    const std::vector<float> signal = TestSignal(kFrames);
    WriteSamples(path("rest.wav"), {signal.begin() + restoreAt, signal.end()}, kRate);
    EXPECT_EQ(Difference({output.begin() + restoreAt, output.end()},
                         command(path("rest.wav"),
                                 " --set time=0.2 --set fbak=7 --set oput=6 --set tone=Bright")),
              "");
}

TEST_P(FormatRender, AStereoFileRunsAsOneEachChannelItsOwnRender)
{
    const std::vector<float> right = TestSignal(kFrames, 2);
    WriteSamples(path("stereo.wav"), Interleave(TestSignal(kFrames, 1), right), kRate, 2);
    WriteSamples(path("right.wav"), right, kRate);

    const std::string setting = " --set time=0.25 --set fbak=8 --set mode=Retro";
    const std::vector<float> output =
        host(path("stereo.wav"), " --random-blocks 9 --block 333" + setting);
    ASSERT_EQ(output.size(), 2 * kFrames);
    EXPECT_EQ(Difference(Channel(output, 0), command(in, setting)), "");
    EXPECT_EQ(Difference(Channel(output, 1), command(path("right.wav"), setting)), "");
}

TEST_P(FormatRender, BadInputIsRefusedInOneLineAndTheOutputKept)
{
    const std::string out = path("out.wav");
    WriteSamples(path("three.wav"), std::vector<float>(300, 0.1f), kRate, 3);
    const std::string file = pluginFile + " ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--set wxyz=1 " + file + in, "--set wxyz=1: the plug-in has no parameter 'wxyz'"},
        {"--set tone=Purple " + file + in, "--set tone=Purple: 'Purple' is not a value"},
        {"--set fbak=12 " + file + in, "--set fbak=12: 12 is outside"},
        {"--at 0.5:Mood=1 " + file + in, "--at 0.5:Mood=1: the plug-in has no parameter"},
        {"--set 'Input Peak=0' " + file + in, "Input Peak is read-only"},
        {"--save-restore 2 " + file + in, "--save-restore 2: past the end of the input"},
        {file + path("none.wav"), "none.wav"},
        {file + path("three.wav"), "3 channels; the host renders mono or stereo"},
    };
    for (const auto& [arguments, message] : cases) {
        writeText(out, "kept");
        const Outcome outcome = Shell(program + " " + arguments + " " + out);
        EXPECT_EQ(outcome.status, 2) << arguments;
        EXPECT_EQ(outcome.output.rfind(hostName() + ": ", 0), 0u) << outcome.output;
        EXPECT_NE(outcome.output.find(message), std::string::npos) << outcome.output;
        EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
        EXPECT_EQ(readText(out), "kept") << arguments;
    }

    // The input as the output.
    const Bytes input = readBytes(in);
    const Outcome same = Shell(program + " " + file + in + " " + in);
    EXPECT_EQ(same.status, 2);
    EXPECT_NE(same.output.find("is the same file as INPUT"), std::string::npos) << same.output;
    EXPECT_TRUE(readBytes(in) == input);
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatRender, ::testing::ValuesIn(kPluginFormats), FormatName);

} // namespace
