// The Windows build under Wine renders what the Linux build renders, bit for
// bit: the command, the host rules, the plug-in library and the WAV files of
// both platforms.
//
// Needs TAPEDELAY_WINDOWS_BUILD, a MinGW build directory holding
// bin/tapedelay.exe and bin/tapedelay.dll; skipped without it.
#include "commandtest.h"

#include <cstdlib>
#include <cstring>

#include "host/cli/demophrase.h"

namespace {

struct Parity : CommandTest {};

TEST_F(Parity, WindowsUnderWineRendersWhatLinuxRenders)
{
    const char* windowsBuild = std::getenv("TAPEDELAY_WINDOWS_BUILD");
    if (windowsBuild == nullptr || *windowsBuild == '\0')
        GTEST_SKIP() << "TAPEDELAY_WINDOWS_BUILD is not set";
    const std::filesystem::path build = std::filesystem::absolute(windowsBuild);
    const std::filesystem::path program = build / "bin" / "tapedelay.exe";
    ASSERT_TRUE(std::filesystem::exists(program)) << program;

    // The demo phrase followed by a click, at 48 kHz.
    std::vector<float> input = DemoPhrase(48000.0);
    input.resize(input.size() + 4800, 0.0f);
    input[input.size() - 4000] = 0.9f;
    writeRaw(path("in.f32"), input);

    const std::vector<std::vector<std::string>> settings = {
        {"--set", "mode=Retro", "--set", "tone=Dark", "--set", "fbak=7", "--set", "time=0.375"},
        {"--set", "mode=Vintage", "--set", "time=0.11", "--set", "fbak=2", "--preroll", "1"},
        {"--set", "mode=Modern", "--set", "tone=Bright", "--set", "nval=Quarter", "--session-bpm",
         "96", "--set", "tlok=on", "--set", "fbak=5"},
        {"--set", "mode=Retro", "--set", "fbak=9", "--set", "inpt=9", "--tap", "2:140", "--set",
         "nval=8th", "--at", "3.3:oput=7", "--normalize", "-1", "--tail", "2"},
    };
    const auto renderOnWindows = [&](const std::vector<std::string>& options, const std::string& in,
                                     const std::string& out) {
        // Wine maps drive Z: to the root directory.
        std::string command =
            "WINEPREFIX='" + (build / "wine-prefix").string() + "' '" TAPEDELAY_WINE_RUN "' '" +
            program.string() +
            "' render --quiet --plugin 'Z:" + (build / "bin" / "tapedelay.dll").string() + "'";
        for (const std::string& option : options)
            command += " '" + option + "'";
        command += " 'Z:" + in + "' 'Z:" + out + "'";
        return std::system(command.c_str());
    };
    for (std::size_t k = 0; k < settings.size(); ++k) {
        ASSERT_EQ(render(settings[k], path("in.f32"), path("linux.f32")), 0);
        ASSERT_EQ(renderOnWindows(settings[k], path("in.f32"), path("windows.f32")), 0);

        const std::vector<float> linux = readRaw(path("linux.f32"));
        const std::vector<float> windows = readRaw(path("windows.f32"));
        ASSERT_EQ(linux.size(), windows.size());
        EXPECT_EQ(std::memcmp(linux.data(), windows.data(), linux.size() * sizeof(float)), 0)
            << "setting " << k + 1;
    }

    // A stereo WAV file, read and written by each platform's own means, to
    // the same bytes.
    const std::vector<float> right(input.rbegin(), input.rend());
    writeStereo(path("in.wav"), input, right);
    const std::vector<std::string> options = {"--preroll", "1", "--tail", "1", "--set", "fbak=6"};
    ASSERT_EQ(render(options, path("in.wav"), path("linux.wav")), 0);
    ASSERT_EQ(renderOnWindows(options, path("in.wav"), path("windows.wav")), 0);
    EXPECT_TRUE(readBytes(path("linux.wav")) == readBytes(path("windows.wav")));
}

} // namespace
