// The Windows build of the VST3 host under Wine, running the Windows
// bundle, renders what the Linux command renders, bit for bit: the bundle,
// the host and the plug-in library of both platforms.
//
// Needs TAPEDELAY_WINDOWS_BUILD, a MinGW build directory holding
// bin/vst3host.exe and vst3-path/tapedelay.vst3; skipped without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "vst3run.h"

namespace {

struct Vst3Wine : Vst3Render {};

TEST_F(Vst3Wine, TheWindowsHostAndBundleRenderWhatLinuxRenders)
{
    const char* windowsBuild = std::getenv("TAPEDELAY_WINDOWS_BUILD");
    if (windowsBuild == nullptr || *windowsBuild == '\0')
        GTEST_SKIP() << "TAPEDELAY_WINDOWS_BUILD is not set";
    const std::filesystem::path build = std::filesystem::absolute(windowsBuild);
    const std::filesystem::path program = build / "bin" / "vst3host.exe";
    const std::filesystem::path bundle = build / "vst3-path" / "tapedelay.vst3";
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    ASSERT_TRUE(std::filesystem::exists(bundle)) << bundle;
    // Wine maps drive Z: to the root directory.
    const std::string runner = "WINEPREFIX='" + (build / "wine-prefix").string() +
                               "' timeout 300 '" + TAPEDELAY_WINE_RUN + "' '" + program.string() +
                               "'";

    const std::vector<float> left = TestSignal(40000, 3), right = TestSignal(40000, 4);
    WriteSamples(path("in.wav"), left, 48000.0);
    WriteSamples(path("right.wav"), right, 48000.0);
    WriteSamples(path("stereo.wav"), Interleave(left, right), 48000.0, 2);

    const std::string setting = " --set nval=8th --set fbak=7 --set tone=Dark --set mode=Vintage"
                                " --at 0.123457:time=0.3 --at 0.5:fbak=8";
    const std::vector<float> expected = command(path("in.wav"), setting);
    ASSERT_EQ(expected.size(), left.size());
    EXPECT_EQ(Difference(host(path("in.wav"), " --random-blocks 4" + setting, nullptr, runner,
                              bundle.string(), "Z:"),
                         expected),
              "");

    const std::string tempo = " --set tlok=on --set nval=Quarter --set fbak=6";
    const std::vector<float> output =
        host(path("stereo.wav"), " --tempo 90" + tempo, nullptr, runner, bundle.string(), "Z:");
    ASSERT_EQ(output.size(), 2 * left.size());
    EXPECT_EQ(Difference(Channel(output, 0), command(path("in.wav"), " --session-bpm 90" + tempo)),
              "");
    EXPECT_EQ(
        Difference(Channel(output, 1), command(path("right.wav"), " --session-bpm 90" + tempo)),
        "");
}

} // namespace
