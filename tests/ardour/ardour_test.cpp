// The LV2 bundle and the VST3 in Ardour 7, headless (ardour7-lua on the
// Dummy backend), as a musician uses them: an impulse through set controls,
// a Tempo Lock render that follows the session's tempo map, a preset, and
// sessions saved and reopened. Each bounce of set values is bit-identical
// to the tapedelay command's render with the same values.
// Opt-in (a few minutes, and Ardour's package): tools/ardour-check.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "lv2/bundleports.h"
#include "tests/support/hostrun.h"
#include "tests/support/scratchdirectory.h"

namespace {

const std::string kCommand = TAPEDELAY_COMMAND;
const std::string kScript = TAPEDELAY_ARDOUR_SCRIPT;
constexpr double kRate = 48000.0;
constexpr std::size_t kImpulse = 480;
constexpr double kTail = 2.0;

enum class Format { lv2, vst3 };

class Ardour : public ScratchDirectory, public ::testing::WithParamInterface<Format> {
protected:
    Ardour()
    {
        // Ardour finds the plug-ins in a home of the test's own.
        std::filesystem::create_directories(path("home"));
        if (GetParam() == Format::lv2)
            install(TAPEDELAY_LV2_BUNDLE, ".lv2/tapedelay.lv2");
        else
            installVst3();
        // An impulse of 16-bit values, which sox's import passes exactly.
        std::vector<float> audio(static_cast<std::size_t>(kRate), 0.0f);
        audio[kImpulse] = 16384.0f / 32768.0f;
        WriteSamples(path("in.wav"), audio, kRate);
    }

    std::vector<float> ardour(const std::string& name, const std::vector<std::string>& keys)
    {
        const bool vst3 = GetParam() == Format::vst3;
        std::string command = "HOME=" + path("home") + " timeout 300 ardour7-lua " + kScript + " " +
                              path("in.wav") + " " + path(name + ".wav") + " '" +
                              (vst3 ? "Orlund VX9" : kPluginUri) + "' " + path(name) + " " +
                              std::to_string(kTail) + (vst3 ? " @type=VST3" : "");
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

private:
    void install(const std::string& bundle, const std::string& where)
    {
        const std::string to = path("home/" + where);
        std::filesystem::create_directories(to);
        std::filesystem::copy(bundle, to, std::filesystem::copy_options::recursive);
    }
    // Ardour lists a VST3 only from its scan cache, and ignores a cache
    // written within the second the module was copied: the copy is dated
    // back before the scan.
    void installVst3()
    {
        install(TAPEDELAY_VST3_BUNDLE, ".vst3/tapedelay.vst3");
        const auto before = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(path("home/.vst3/tapedelay.vst3")))
            std::filesystem::last_write_time(entry.path(), before);
        const Outcome scanned = Shell("HOME=" + path("home") +
                                      " LD_LIBRARY_PATH=/usr/lib/ardour7"
                                      " /usr/lib/ardour7/ardour-vst3-scanner -f " +
                                      path("home/.vst3/tapedelay.vst3"));
        ASSERT_EQ(scanned.status, 0) << scanned.output;
    }
};

// A session saved and reopened keeps its delay: the values the plug-in set
// itself (BPM for a note value chosen over a free delay; BPM and Note Value
// after taps) are restored with it, not replaced by the host's old copies.
// The delay is where the first echo peaks, to a millisecond: an LV2 bounce
// goes on from the tape as the session left it (Ardour activates nothing
// before it), so wow moves the echoes by a few samples between bounces.
// Each case waits for the tape's glide to the new delay to end.
TEST_P(Ardour, ReopenedSessionsKeepTheirDelay)
{
    const auto echoAt = [](const std::vector<float>& audio) {
        const auto first = audio.begin() + static_cast<std::ptrdiff_t>(kImpulse + 100);
        EXPECT_LT(kImpulse + 100, audio.size());
        return std::max_element(first, audio.end(),
                                [](float a, float b) { return std::fabs(a) < std::fabs(b); }) -
               audio.begin();
    };
    std::vector<std::string> taps;
    for (int press = 0; press < 3; ++press)
        taps.insert(taps.end(), {"Tap=1", "@wait=0.05", "Tap=0", "@wait=0.65"});
    const struct {
        const char* name;
        std::vector<std::string> keys;
    } cases[] = {
        {"note", {"Delay Time=0.3", "@wait=0.5", "Note Value=3", "@wait=0.5"}},
        {"taps", taps},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = path(std::string(c.name) + "-before.wav");
        std::vector<std::string> keys = c.keys;
        keys.insert(keys.end(), {"@wait=3", "@bounce=" + before, "@reopen"});
        const double reopened = static_cast<double>(echoAt(ardour(c.name, keys)));
        constexpr double kMillisecond = kRate / 1000.0;
        EXPECT_NEAR(reopened, static_cast<double>(echoAt(Samples(before))), kMillisecond);
        if (std::string(c.name) == "note") {
            EXPECT_NEAR(reopened,
                        static_cast<double>(echoAt(command(" --set time=0.3 --set nval=8th"))),
                        kMillisecond);
        }
    }
}

// Where the command puts the echoes (delay, tempo) is command_test.cpp's;
// here each bounce must be the command's render, bit for bit.
TEST_P(Ardour, BouncesAreTheCommandsRenders)
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

INSTANTIATE_TEST_SUITE_P(Formats, Ardour, ::testing::Values(Format::lv2, Format::vst3),
                         [](const ::testing::TestParamInfo<Format>& format) {
                             return format.param == Format::lv2 ? "Lv2" : "Vst3";
                         });

} // namespace
