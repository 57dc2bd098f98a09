// The Windows build of each format's test host under Wine, running the
// Windows plug-in, renders what the Linux command and host render, bit for
// bit: the plug-in file, the host and the plug-in library of both
// platforms.
//
// Needs TAPEDELAY_WINDOWS_BUILD, a MinGW build directory holding the
// hosts in bin/ and the plug-ins in vst3-path/ and clap-path/; skipped
// without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "formatrun.h"

namespace {

struct FormatWine : FormatRun {};

TEST_P(FormatWine, TheWindowsHostAndPluginRenderWhatLinuxRenders)
{
    const char* windowsBuild = std::getenv("TAPEDELAY_WINDOWS_BUILD");
    if (windowsBuild == nullptr || *windowsBuild == '\0')
        GTEST_SKIP() << "TAPEDELAY_WINDOWS_BUILD is not set";
    const std::filesystem::path build = std::filesystem::absolute(windowsBuild);
    const std::filesystem::path windowsHost = build / GetParam().windowsHost;
    const std::filesystem::path plugin = build / GetParam().windowsPlugin;
    ASSERT_TRUE(std::filesystem::exists(windowsHost)) << windowsHost;
    ASSERT_TRUE(std::filesystem::exists(plugin)) << plugin;
    // Wine maps drive Z: to the root directory.
    const std::string runner = "WINEPREFIX='" + (build / "wine-prefix").string() +
                               "' timeout 300 '" + TAPEDELAY_WINE_RUN + "' '" +
                               windowsHost.string() + "'";
    const auto onWindows = [&](const std::string& in, const std::string& options) {
        return host(in, options, nullptr, runner, plugin.string(), "Z:");
    };

    const std::vector<float> left = TestSignal(40000, 3), right = TestSignal(40000, 4);
    WriteSamples(path("in.wav"), left, 48000.0);
    WriteSamples(path("right.wav"), right, 48000.0);
    WriteSamples(path("stereo.wav"), Interleave(left, right), 48000.0, 2);

    const std::string setting = " --set nval=8th --set fbak=7 --set tone=Dark --set mode=Vintage"
                                " --at 0.123457:time=0.3 --at 0.5:fbak=8";
    const std::vector<float> expected = command(path("in.wav"), setting);
    ASSERT_EQ(expected.size(), left.size());
    EXPECT_EQ(Difference(onWindows(path("in.wav"), " --random-blocks 4" + setting), expected), "");
    const std::string restoring = " --random-blocks 4 --save-restore 0.4" + setting;
    EXPECT_EQ(Difference(onWindows(path("in.wav"), restoring), host(path("in.wav"), restoring)),
              "");

    const std::string tempo = " --set tlok=on --set nval=Quarter --set fbak=6";
    const std::vector<float> output = onWindows(path("stereo.wav"), " --tempo 90" + tempo);
    ASSERT_EQ(output.size(), 2 * left.size());
    const std::string session = " --session-bpm 90" + tempo;
    EXPECT_EQ(Difference(Channel(output, 0), command(path("in.wav"), session)), "");
    EXPECT_EQ(Difference(Channel(output, 1), command(path("right.wav"), session)), "");
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatWine, ::testing::ValuesIn(kPluginFormats), FormatName);

} // namespace
