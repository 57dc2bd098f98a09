// What the CLAP host adds to what every format's host does: transport
// events changing the tempo at their own sample, the plug-in chosen by its
// id, and the refusals of a CLAP file and of a plug-in that will not
// activate.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/pluginhostrun.h"

namespace {

constexpr double kRate = 48000.0;
constexpr std::size_t kFrames = 60000;

struct ClapHost : PluginHostRun {
    ClapHost() : PluginHostRun(TAPEDELAY_CLAPHOST, TAPEDELAY_CLAP_FILE)
    {
        WriteSamples(in, TestSignal(kFrames), kRate);
    }
    const std::string in = path("in.wav");
};

TEST_F(ClapHost, TempoChangesTakeEffectAtTheirOwnSample)
{
    const std::string setting = " --set tlok=on --set nval=8th --set dot3=Triplet --set fbak=7";
    // Frames 14402 and 39999: mid-block at any size, given out of order.
    const std::vector<float> changing = command(
        in, " --session-bpm 96 --session-bpm 0.300042:140 --session-bpm 0.833333:75" + setting);
    ASSERT_EQ(changing.size(), kFrames);
    EXPECT_NE(Difference(changing, command(in, " --session-bpm 96" + setting)), "");
    for (const char* blocks : {" --block 512", " --random-blocks 8 --block 1000"})
        EXPECT_EQ(Difference(host(in, blocks +
                                          std::string(" --tempo 96 --tempo-at 0.833333:75"
                                                      " --tempo-at 0.300042:140") +
                                          setting),
                             changing),
                  "")
            << blocks;
}

TEST_F(ClapHost, APluginIsChosenByItsId)
{
    const std::vector<float> right = TestSignal(kFrames, 2);
    WriteSamples(path("stereo.wav"), Interleave(TestSignal(kFrames, 1), right), kRate, 2);
    WriteSamples(path("right.wav"), right, kRate);
    const std::string setting = " --set time=0.25 --set fbak=8 --set mode=Retro";
    const std::vector<float> output =
        host(path("stereo.wav"), " --plugin-id orlund.vx9.tapedelay.stereo" + setting);
    ASSERT_EQ(output.size(), 2 * kFrames);
    EXPECT_EQ(Difference(Channel(output, 1), command(path("right.wav"), setting)), "");
    EXPECT_EQ(
        Difference(host(in, " --plugin-id orlund.vx9.tapedelay" + setting), command(in, setting)),
        "");
}

TEST_F(ClapHost, BadInputIsRefusedInOneLineAndTheOutputKept)
{
    const std::string out = path("out.wav");
    writeText(path("fake.clap"), "not a library");
    const std::string file = TAPEDELAY_CLAP_FILE;
    // A shared library that is no CLAP plug-in: the one beside the CLAP file.
    const std::string library =
        (std::filesystem::path(file).parent_path() / "libtapedelay.so").string();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--tempo-at 0.5:0 " + file + " " + in, "--tempo-at: 0 is outside 1 to 999"},
        {"--plugin-id orlund.vx9.nothing " + file + " " + in,
         "the file has no such plug-in (it has orlund.vx9.tapedelay, "
         "orlund.vx9.tapedelay.stereo)"},
        {"--plugin-id orlund.vx9.tapedelay.stereo " + file + " " + in,
         "its audio ports are not mono"},
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
