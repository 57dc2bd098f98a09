// The bundle in lilv's tools and jalv, run as a user runs them: each
// render is bit-identical to the tapedelay command's with the same values,
// and a rate the tape delay cannot run at is reported, not crashed on.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/product/presets.h"
#include "lv2/bundleports.h"
#include "tests/support/pluginhostrun.h"

namespace {

const std::string kBundle = TAPEDELAY_LV2_BUNDLE;
const std::string kUri = kPluginUri;

// A setting as port values (symbol, value) in port order.
using Setting = std::vector<std::pair<std::string, std::string>>;

// The setting as lv2apply's, lv2file's or the command's options.
std::string Options(const Setting& setting, const std::string& tool)
{
    std::string text;
    for (const auto& [symbol, value] : setting)
        text += tool == "lv2apply"    ? " -c " + symbol + " " + value
                : tool == "lv2file"   ? " -p " + symbol + ":" + value
                : symbol == "enabled" ? " --set bypa=" + std::string(value == "0" ? "1" : "0")
                : symbol == "bpm"     ? " --set .bpm=" + value
                                      : " --set " + symbol + "=" + value;
    return text;
}

// The test signal as a 32-bit float WAV (lv2apply writes what it reads);
// the command's renders are the fixture's.
class Lv2Hosts : public PluginHostRun {
protected:
    Lv2Hosts() : PluginHostRun("lv2file", kUri)
    {
        const std::string path = std::filesystem::path(kBundle).parent_path().string();
        setenv("LV2_PATH", path.c_str(), 1);
    }

    // What a host tool renders from `in` with these options.
    std::vector<float> render(const std::string& tool, const std::string& in,
                              const std::string& options, const std::string& uri = kUri)
    {
        const std::string out = path(tool + ".wav");
        // lv2file clamps samples beyond full scale unless told not to.
        const Outcome done = Shell(tool + (tool == "lv2file" ? " --ignore-clipping" : "") + " -i " +
                                   in + " -o " + out + options + " " + uri);
        EXPECT_EQ(done.status, 0) << done.output;
        return Samples(out);
    }
};

TEST_F(Lv2Hosts, TheBundleValidatesAndIsListed)
{
    const Outcome valid = Shell("lv2_validate " + kBundle + "/*.ttl");
    EXPECT_NE(valid.output.find("Found 0 errors"), std::string::npos) << valid.output;
    const Outcome listed = Shell("lv2ls");
    EXPECT_NE(listed.output.find(kUri + "\n"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find(kStereoPluginUri), std::string::npos) << listed.output;
}

TEST_F(Lv2Hosts, LilvToolsRenderWhatTheCommandRenders)
{
    const std::string in = path("in.wav");
    WriteSamples(in, TestSignal(60000), 48000.0);
    const std::vector<Setting> settings = {
        {{"time", "0.3"}, {"fbak", "6"}, {"mode", "0"}},
        {{"nval", "3"}, {"fbak", "7.5"}, {"inpt", "6.5"}, {"tone", "1"}, {"dot3", "1"}},
        {{"tlok", "1"}, {"nval", "4"}, {"oput", "6"}, {"blnd", "3.5"}, {"mode", "2"}},
        {{"time", "1.1"}, {"bpm", "90"}, {"fbak", "8.5"}, {"tone", "2"}},
        {{"fbak", "5"}, {"enabled", "0"}},
    };
    for (const Setting& setting : settings) {
        const std::string lv2file = Options(setting, "lv2file");
        SCOPED_TRACE(lv2file);
        const std::vector<float> expected = command(in, Options(setting, "command"));
        ASSERT_EQ(expected.size(), 60000u);
        EXPECT_EQ(Difference(render("lv2apply", in, Options(setting, "lv2apply")), expected), "");
        for (const char* block : {" -b 64", " -b 4096"})
            EXPECT_EQ(Difference(render("lv2file", in, block + lv2file), expected), "") << block;
    }
}

// Each channel through the stereo plug-in sounds as the command renders it
// alone, whatever lv2file's block.
TEST_F(Lv2Hosts, TheStereoPluginIsTwoMonoRenders)
{
    constexpr std::size_t kFrames = 40000;
    const std::string channels[] = {path("left.wav"), path("right.wav")};
    const std::vector<float> left = TestSignal(kFrames, 1), right = TestSignal(kFrames, 2);
    WriteSamples(channels[0], left, 48000.0);
    WriteSamples(channels[1], right, 48000.0);
    const std::string stereo = path("stereo.wav");
    WriteSamples(stereo, Interleave(left, right), 48000.0, 2);

    const Setting setting = {{"nval", "3"}, {"fbak", "7"}, {"tone", "1"}, {"mode", "0"}};
    const std::vector<float> expected[] = {command(channels[0], Options(setting, "command")),
                                           command(channels[1], Options(setting, "command"))};
    for (const char* block : {" -b 1", " -b 700"}) {
        const std::vector<float> out =
            render("lv2file", stereo, block + Options(setting, "lv2file"), kStereoPluginUri);
        ASSERT_EQ(out.size(), 2 * kFrames) << block;
        for (std::size_t c = 0; c < 2; ++c)
            EXPECT_EQ(Difference(Channel(out, c), expected[c]), "") << block << " channel " << c;
    }
}

TEST_F(Lv2Hosts, APresetRendersAsTheCommandsPreset)
{
    const std::string in = path("in.wav");
    WriteSamples(in, TestSignal(50000), 44100.0);
    ASSERT_FALSE(Presets().empty());
    for (const Preset& preset : Presets()) {
        SCOPED_TRACE(preset.label);
        EXPECT_EQ(Difference(render("lv2file", in, " -b 512 -P '" + preset.label + "'"),
                             command(in, " --preset " + preset.name)),
                  "");
    }
}

TEST_F(Lv2Hosts, AnUnsupportedRateIsReportedAndNothingCrashes)
{
    const std::string in = path("in.wav");
    WriteSamples(in, TestSignal(4000), 8000.0);
    const Outcome file = Shell("lv2file -i " + in + " -o " + path("out.wav") + " " + kUri);
    EXPECT_EQ(file.status, 1) << file.output;
    EXPECT_NE(file.output.find("unsupported sample rate 8000 Hz"), std::string::npos)
        << file.output;

    // jalv on a JACK server of its own running at that rate.
    const JackServer jack(8000);
    ASSERT_TRUE(jack.running()) << "the JACK server did not start";
    const Outcome jalv = Shell(jack.environment() + " timeout 30 jalv -i " + kUri);
    EXPECT_EQ(jalv.status, 1) << jalv.output;
    EXPECT_NE(jalv.output.find("unsupported sample rate 8000 Hz"), std::string::npos)
        << jalv.output;
}

} // namespace
