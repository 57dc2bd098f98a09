// The CLAP plug-in in the project's CLAP host renders, bit for bit, what
// the tapedelay command renders with the same values: at any block size,
// with automation points at their own samples, the transport's tempo (and
// its changes mid-block) as the session tempo, a state restored into a new
// instance mid-file, and stereo files as one port of the stereo plug-in;
// and bad input is refused in one line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "claprun.h"

namespace {

constexpr double kRate = 48000.0;
constexpr std::size_t kFrames = 60000;

// "ID=VALUE" settings.
using Setting = std::vector<std::string>;

std::string Sets(const Setting& setting)
{
    std::string options;
    for (const std::string& value : setting)
        options += " --set " + value;
    return options;
}

struct ClapHost : ClapRender {
    ClapHost() { WriteSamples(in, TestSignal(kFrames), kRate); }
    const std::string in = path("in.wav");
};

TEST_F(ClapHost, RendersWhatTheCommandRendersAtAnyBlockSize)
{
    // Each parameter by its ID and by its name, values as text and as
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

TEST_F(ClapHost, AutomationPointsTakeEffectAtTheirOwnSample)
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

// The transport's tempo is the session tempo, in each block's transport and
// in transport events at their own sample.
TEST_F(ClapHost, TheTransportTempoIsTheSessionTempo)
{
    const std::string setting = " --set tlok=on --set nval=8th --set dot3=Triplet --set fbak=7";
    const std::vector<float> at96 = command(in, " --session-bpm 96" + setting);
    ASSERT_EQ(at96.size(), kFrames);
    EXPECT_NE(Difference(command(in, setting), at96), "");
    EXPECT_EQ(Difference(host(in, " --tempo 96 --random-blocks 5" + setting), at96), "");
    EXPECT_EQ(Difference(host(in, setting), command(in, setting)), "");

    // Frames 14402 and 39999: mid-block at any size, given out of order.
    const std::vector<float> changing = command(
        in, " --session-bpm 96 --session-bpm 0.300042:140 --session-bpm 0.833333:75" + setting);
    ASSERT_EQ(changing.size(), kFrames);
    EXPECT_NE(Difference(changing, at96), "");
    for (const char* blocks : {" --block 512", " --random-blocks 8 --block 1000"})
        EXPECT_EQ(Difference(host(in, blocks +
                                          std::string(" --tempo 96 --tempo-at 0.833333:75"
                                                      " --tempo-at 0.300042:140") +
                                          setting),
                             changing),
                  "")
            << blocks;
}

// A new instance given the saved state holds every value the old one had;
// its tape starts empty, so from the restore on it renders what a render of
// the rest of the input with those values as starting values renders.
TEST_F(ClapHost, AStateRestoredMidFileCarriesEveryValue)
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

// The stereo descriptor is chosen for a stereo file, by its ports or by
// its id; each channel renders what a mono render of it renders.
TEST_F(ClapHost, AStereoFileIsOnePortEachChannelItsOwnRender)
{
    const std::vector<float> right = TestSignal(kFrames, 2);
    WriteSamples(path("stereo.wav"), Interleave(TestSignal(kFrames, 1), right), kRate, 2);
    WriteSamples(path("right.wav"), right, kRate);

    const std::string setting = " --set time=0.25 --set fbak=8 --set mode=Retro";
    const std::vector<float> left = command(in, setting);
    const std::vector<float> rightExpected = command(path("right.wav"), setting);
    for (const char* choice : {"", " --plugin-id orlund.vx9.tapedelay.stereo"}) {
        const std::vector<float> output = host(
            path("stereo.wav"), choice + std::string(" --random-blocks 9 --block 333") + setting);
        ASSERT_EQ(output.size(), 2 * kFrames) << choice;
        EXPECT_EQ(Difference(Channel(output, 0), left), "") << choice;
        EXPECT_EQ(Difference(Channel(output, 1), rightExpected), "") << choice;
    }
    EXPECT_EQ(Difference(host(in, " --plugin-id orlund.vx9.tapedelay" + setting), left), "");
}

TEST_F(ClapHost, BadInputIsRefusedInOneLineAndTheOutputKept)
{
    const std::string out = path("out.wav");
    WriteSamples(path("three.wav"), std::vector<float>(300, 0.1f), kRate, 3);
    writeText(path("fake.clap"), "not a library");
    const std::string file = TAPEDELAY_CLAP_FILE;
    // A shared library that is no CLAP plug-in: the one beside the CLAP file.
    const std::string library =
        (std::filesystem::path(file).parent_path() / "libtapedelay.so").string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--set wxyz=1 " + file + " " + in, "--set wxyz=1: the plug-in has no parameter 'wxyz'"},
        {"--set tone=Purple " + file + " " + in, "--set tone=Purple: 'Purple' is not a value"},
        {"--set fbak=12 " + file + " " + in, "--set fbak=12: 12 is outside"},
        {"--at 0.5:Mood=1 " + file + " " + in, "--at 0.5:Mood=1: the plug-in has no parameter"},
        {"--set 'Input Peak=0' " + file + " " + in, "Input Peak is read-only"},
        {"--save-restore 2 " + file + " " + in, "--save-restore 2: past the end of the input"},
        {"--tempo-at 0.5:0 " + file + " " + in, "--tempo-at: 0 is outside 1 to 999"},
        {"--plugin-id orlund.vx9.nothing " + file + " " + in,
         "the file has no such plug-in (it has orlund.vx9.tapedelay, "
         "orlund.vx9.tapedelay.stereo)"},
        {"--plugin-id orlund.vx9.tapedelay.stereo " + file + " " + in,
         "its audio ports are not mono"},
        {file + " " + path("none.wav"), "none.wav"},
        {file + " " + path("three.wav"), "3 channels; the host renders mono or stereo"},
        {path("none.clap") + " " + in, "none.clap: no such file"},
        {path("fake.clap") + " " + in, "fake.clap: cannot load the CLAP file"},
        {library + " " + in, "libtapedelay.so: not a CLAP plug-in (it has no clap_entry)"},
    };
    for (const auto& [arguments, message] : cases) {
        writeText(out, "kept");
        const Outcome outcome =
            Shell(std::string(TAPEDELAY_CLAPHOST) + " " + arguments + " " + out);
        EXPECT_EQ(outcome.status, 2) << arguments;
        EXPECT_EQ(outcome.output.rfind("claphost: ", 0), 0u) << outcome.output;
        EXPECT_NE(outcome.output.find(message), std::string::npos) << outcome.output;
        EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << outcome.output;
        EXPECT_EQ(readText(out), "kept") << arguments;
    }

    // A rate the plug-in refuses: its own word through the log, then the
    // host's.
    WriteSamples(path("low.wav"), std::vector<float>(800, 0.1f), 8000.0);
    const Outcome low =
        Shell(std::string(TAPEDELAY_CLAPHOST) + " " + file + " " + path("low.wav") + " " + out);
    EXPECT_EQ(low.status, 1);
    EXPECT_EQ(low.output.rfind("claphost: plug-in ", 0), 0u) << low.output;
    EXPECT_LT(low.output.find("8000"), low.output.find('\n')) << low.output;
    EXPECT_NE(low.output.find("claphost: the plug-in refused to activate at 8000 Hz"),
              std::string::npos)
        << low.output;
    EXPECT_EQ(readText(out), "kept");
}

} // namespace
