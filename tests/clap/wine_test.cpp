// The Windows build of the CLAP host under Wine, running the Windows CLAP
// plug-in, renders what the Linux command renders, bit for bit: the CLAP
// file, the host and the plug-in library of both platforms.
//
// Needs TAPEDELAY_WINDOWS_BUILD, a MinGW build directory holding
// bin/claphost.exe and clap-path/tapedelay.clap; skipped without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "claprun.h"

namespace {

struct ClapWine : ClapRender {};

TEST_F(ClapWine, TheWindowsHostAndPluginRenderWhatLinuxRenders)
{
    const char* windowsBuild = std::getenv("TAPEDELAY_WINDOWS_BUILD");
    if (windowsBuild == nullptr || *windowsBuild == '\0')
        GTEST_SKIP() << "TAPEDELAY_WINDOWS_BUILD is not set";
    const std::filesystem::path build = std::filesystem::absolute(windowsBuild);
    const std::filesystem::path program = build / "bin" / "claphost.exe";
    const std::filesystem::path file = build / "clap-path" / "tapedelay.clap";
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
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
    EXPECT_EQ(Difference(host(path("in.wav"), " --random-blocks 4 --save-restore 0.4" + setting,
                              nullptr, runner, file.string(), "Z:"),
                         host(path("in.wav"), " --random-blocks 4 --save-restore 0.4" + setting)),
              "");
    EXPECT_EQ(Difference(host(path("in.wav"), " --random-blocks 4" + setting, nullptr, runner,
                              file.string(), "Z:"),
                         expected),
              "");

    const std::string tempo = " --set tlok=on --set nval=Quarter --set fbak=6";
    const std::vector<float> output =
        host(path("stereo.wav"), " --tempo 90 --tempo-at 0.3:130" + tempo, nullptr, runner,
             file.string(), "Z:");
    ASSERT_EQ(output.size(), 2 * left.size());
    const std::string session = " --session-bpm 90 --session-bpm 0.3:130";
    EXPECT_EQ(Difference(Channel(output, 0), command(path("in.wav"), session + tempo)), "");
    EXPECT_EQ(Difference(Channel(output, 1), command(path("right.wav"), session + tempo)), "");
}

} // namespace
