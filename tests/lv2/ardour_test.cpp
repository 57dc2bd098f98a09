// The bundle in Ardour 7, headless (ardour7-lua on the Dummy backend), as a
// musician uses it: an impulse through set controls, a Tempo Lock render
// that follows the session's tempo map, and a preset. Each bounce is
// bit-identical to the tapedelay command's render with the same values.
// Opt-in (about a minute, and Ardour's package): tools/ardour-check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lv2/bundleports.h"
#include "tests/support/hostrun.h"
#include "tests/support/scratchdirectory.h"

namespace {

const std::string kBundle = TAPEDELAY_LV2_BUNDLE;
const std::string kCommand = TAPEDELAY_COMMAND;
const std::string kScript = TAPEDELAY_ARDOUR_SCRIPT;
constexpr double kRate = 48000.0;
constexpr double kTail = 2.0;

class Ardour : public ScratchDirectory {
protected:
    Ardour()
    {
        // Ardour finds the bundle in ~/.lv2 of a home of the test's own.
        const std::string home = path("home");
        std::filesystem::create_directories(home + "/.lv2");
        std::filesystem::copy(kBundle, home + "/.lv2/tapedelay.lv2");
        // An impulse of 16-bit values, which sox's import passes exactly.
        std::vector<float> audio(static_cast<std::size_t>(kRate), 0.0f);
        audio[480] = 16384.0f / 32768.0f;
        WriteSamples(path("in.wav"), audio, kRate);
    }

    std::vector<float> ardour(const std::string& name, const std::vector<std::string>& keys)
    {
        std::string command = "HOME=" + path("home") + " timeout 300 ardour7-lua " + kScript + " " +
                              path("in.wav") + " " + path(name + ".wav") + " " + kPluginUri + " " +
                              path(name) + " " + std::to_string(kTail);
        for (const std::string& key : keys)
            command += " '" + key + "'";
        const Outcome done = Shell(command);
        EXPECT_EQ(done.status, 0) << done.output;
        return Samples(path(name + ".wav"));
    }
    std::vector<float> command(const std::string& options)
    {
        const Outcome done = Shell(kCommand + " render --quiet --preroll 0 --tail 2 " +
                                   path("in.wav") + " " + path("command.wav") + options);
        EXPECT_EQ(done.status, 0) << done.output;
        return Samples(path("command.wav"));
    }
    // Ardour's bounce runs to the end of its take: compare what both have.
    static void ExpectSameStart(std::vector<float> bounced, const std::vector<float>& expected)
    {
        ASSERT_GE(bounced.size(), expected.size());
        bounced.resize(expected.size());
        EXPECT_EQ(Difference(bounced, expected), "");
    }
};

// Where the command puts the echoes (delay, tempo) is command_test.cpp's;
// here each bounce must be the command's render, bit for bit.
TEST_F(Ardour, BouncesAreTheCommandsRenders)
{
    const struct {
        const char* name;
        std::vector<std::string> keys;
        const char* options;
    } cases[] = {
        {"delay", {"Delay Time=0.3", "Feedback=5"}, " --set time=0.3 --set fbak=5"},
        {"tempo",
         {"@bpm=90", "Session Tempo Lock=1", "Note Value=4", "Feedback=5"},
         " --session-bpm 90 --set tlok=on --set nval=Quarter --set fbak=5"},
        {"preset", {"@preset=Dub Echo"}, " --preset dub-echo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectSameStart(ardour(c.name, c.keys), command(c.options));
    }
}

} // namespace
