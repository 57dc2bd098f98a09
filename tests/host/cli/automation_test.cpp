// Scripted renders: automation files against the options they stand for,
// their refusals, and a tail that ends itself once the echoes have died.
#include "commandtest.h"

#include <cstdio>
#include <filesystem>
#include <regex>

namespace {

struct Scripted : CommandTest {};

// Names, units and minutes in the file and in the options, identifiers and
// seconds in the options they stand for.
TEST_F(Scripted, AnAutomationFileAndNamesRenderExactlyAsTheIdentifiersTheyStandFor)
{
    writeRaw(path("in.f32"), Noise(6 * 48000, 0.4f));
    // Tempo Lock on, so that the session tempo is heard; the two changes due
    // together at 1.5 s apply in the order given.
    writeText(path("song.txt"), "# a verse\r\n"
                                "500ms Delay Time 300ms\n"
                                "\n"
                                "  0:01.5  Feedback 6   # more feedback\n"
                                "1.5 fbak 7\n"
                                "2.0 tap 140\n"
                                "2.5 Tempo Lock yes\n"
                                "0:03.25 session-bpm 96\n"
                                "4 mode vintage\n");
    const std::vector<std::string> common = {"render", "--quiet", "--preroll", "0", "--tail", "1"};
    std::vector<std::string> fromFile = common;
    fromFile.insert(fromFile.end(), {"--set", "bpm=100", "--set", "Delay Time=400ms", "--at",
                                     "0:00.2:Blend=7", "--tap", "0:01.2:90", "--session-bpm",
                                     "0:00.1:100", "--at", "0:05:enabled=off", "--automation",
                                     path("song.txt"), path("in.f32"), path("file.f32")});
    std::vector<std::string> fromOptions = common;
    fromOptions.insert(fromOptions.end(),
                       {"--set",         ".bpm=100",       "--set",         "time=0.4",
                        "--at",          "0.2:blnd=7",     "--tap",         "1.2:90",
                        "--session-bpm", "0.1:100",        "--at",          "5:bypa=1",
                        "--at",          "0.5:time=0.3",   "--at",          "1.5:fbak=6",
                        "--at",          "1.5:fbak=7",     "--tap",         "2.0:140",
                        "--at",          "2.5:tlok=on",    "--session-bpm", "3.25:96",
                        "--at",          "4:mode=Vintage", path("in.f32"),  path("options.f32")});
    ASSERT_EQ(run(fromFile), 0);
    ASSERT_EQ(run(fromOptions), 0);
    EXPECT_EQ(readBytes(path("file.f32")), readBytes(path("options.f32")));

    // The session tempo change is heard, from its own sample on.
    fromOptions.erase(fromOptions.end() - 6, fromOptions.end() - 4);
    fromOptions.back() = path("steady.f32");
    ASSERT_EQ(run(fromOptions), 0);
    const std::vector<float> changed = readRaw(path("options.f32"));
    const std::vector<float> steady = readRaw(path("steady.f32"));
    ASSERT_EQ(changed.size(), steady.size());
    const std::size_t due = static_cast<std::size_t>(3.25 * 48000);
    EXPECT_TRUE(std::equal(changed.begin(), changed.begin() + due, steady.begin()));
    EXPECT_NE(changed, steady);
}

TEST_F(Scripted, EachMalformedLineIsRefusedWithItsFileAndLineNumber)
{
    writeRaw(path("in.f32"), Noise(4800, 0.4f));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1.0 time", "expected TIME NAME VALUE, found 2 fields"},
        {"1.0 time 0.3 0.4", "unknown parameter \"time 0.3\""},
        {"soon time 0.3", "the time: \"soon\" is not a number"},
        {"-1 time 0.3", "the time -1 lies before the start"},
        {"1.0 wobl 3", "unknown parameter \"wobl\" (the parameters are tlok Session"},
        {"1.0 fbak 12", "fbak: 12 is outside its range"},
        {"1.0 uiDT 0.3", "uiDT (BPM Delay Time) is a value the plug-in writes"},
        {"1.0 tap 0", "0 BPM is outside 5 to 500"},
        {"1.0 session-bpm fast", "\"fast\" is not a number"},
    };
    for (const auto& [bad, why] : cases) {
        // Two good lines and a comment first, so the bad one is line 4.
        writeText(path("bad.txt"), "0.1 fbak 2\n# comment\n0.2 tap 100\n" + bad + "\n0.5 fbak 3\n");
        EXPECT_EQ(runCapturing(
                      {"render", "--automation", path("bad.txt"), path("in.f32"), path("out.f32")}),
                  2)
            << bad;
        EXPECT_TRUE(said(path("bad.txt") + ":4: ")) << errors;
        EXPECT_TRUE(said(why)) << errors;
        EXPECT_FALSE(std::filesystem::exists(path("out.f32"))) << bad;
    }
    EXPECT_EQ(runCapturing(
                  {"render", "--automation", path("missing.txt"), path("in.f32"), path("out.f32")}),
              2);
    EXPECT_TRUE(said("cannot read " + path("missing.txt"))) << errors;
}

// The tail renders run at the lowest rate, where they cost least.
constexpr const char* kRate = "11025";
constexpr double kHz = 11025.0;

// The tail's length and threshold from the summary.
struct Tail {
    double seconds = 0.0;
    double thresholdDbfs = 0.0;
};

Tail SummaryTail(const std::string& summary)
{
    std::smatch match;
    const std::regex pattern("tail ([0-9.]+) s, until below (-[0-9.]+) dBFS");
    EXPECT_TRUE(std::regex_search(summary, match, pattern)) << summary;
    return match.empty() ? Tail{} : Tail{std::stod(match[1]), std::stod(match[2])};
}

// Where the quiet watch ends a tail is quietwatch_test.cpp's; here the
// render follows it: the summary names the tail it rendered, more feedback
// rings longer, and the end does not depend on the block size.
TEST_F(Scripted, AnAutomaticTailRingsOutUntilTheOutputStaysBelowTheThreshold)
{
    writeRaw(path("click.f32"), {0.5f});
    const auto render = [&](const char* feedback, const char* block, const std::string& out) {
        // Modern's Feedback 9 still dies away; the mode first, as its law
        // applies when Feedback is set.
        EXPECT_EQ(
            runCapturing({"render", "--rate", kRate, "--block", block, "--preroll", "3", "--tail",
                          "auto", "--set", "mode=Modern", "--set", std::string("fbak=") + feedback,
                          "--set", "time=0.1", path("click.f32"), path(out)}),
            0)
            << errors;
        const Tail tail = SummaryTail(errors);
        EXPECT_NEAR(static_cast<double>(readRaw(path(out)).size() - 1) / kHz, tail.seconds, 0.005);
        return tail;
    };
    const Tail dry = render("1", "512", "dry.f32");
    EXPECT_EQ(dry.thresholdDbfs, -90.0);
    EXPECT_GT(render("9", "512", "wet.f32").seconds, 5 * dry.seconds);
    render("1", "37", "blocks.f32");
    EXPECT_EQ(readRaw(path("blocks.f32")), readRaw(path("dry.f32")));
}

TEST_F(Scripted, AnAutomaticTailThatNeverDiesStopsAtSixtySecondsAndSaysSo)
{
    writeRaw(path("click.f32"), {0.5f});
    // Retro's Feedback 9 at 0.5 s feeds itself, once the tape runs.
    ASSERT_EQ(runCapturing({"render", "--quiet", "--rate", kRate, "--preroll", "3", "--tail",
                            "auto", "--set", "fbak=9", path("click.f32"), path("out.f32")}),
              0);
    EXPECT_EQ(readRaw(path("out.f32")).size(), 1u + 60u * 11025u);
    EXPECT_TRUE(said("--tail auto: the echoes had not died away after 60 s")) << errors;
}

} // namespace
