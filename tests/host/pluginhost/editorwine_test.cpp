// Each format's Windows host under Wine opens the Windows plug-in's editor
// on an Xvfb display of the test's own: the window takes the panel's size,
// the panel shows as the Linux references show it, a change the host makes
// redraws the dial (only its rectangle is copied to the window), the render
// after it is the command's with that change, and opening and closing the
// editor a hundred times keeps the memory.
//
// Needs TAPEDELAY_WINDOWS_BUILD, a MinGW build directory holding the hosts
// in bin/ and the plug-ins in vst3-path/ and clap-path/ (and the Wine
// prefix its tests booted); skipped without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "editorscreens.h"
#include "formatrun.h"

namespace {

constexpr std::size_t kFrames = 4800;

struct EditorWine : FormatRun {
    void SetUp() override
    {
        const char* windowsBuild = std::getenv("TAPEDELAY_WINDOWS_BUILD");
        if (windowsBuild == nullptr || *windowsBuild == '\0')
            GTEST_SKIP() << "TAPEDELAY_WINDOWS_BUILD is not set";
        for (const auto& [tool, package] :
             {std::pair{"Xvfb", "xvfb"}, {"xdotool", "xdotool"}, {"import", "imagemagick"}})
            if (!ToolInstalled(tool, package))
                return;
        const std::filesystem::path build = std::filesystem::absolute(windowsBuild);
        windowsHost = build / GetParam().windowsHost;
        plugin = build / GetParam().windowsPlugin;
        ASSERT_TRUE(std::filesystem::exists(windowsHost)) << windowsHost;
        ASSERT_TRUE(std::filesystem::exists(plugin)) << plugin;
        prefix = (build / "wine-prefix").string();
        ASSERT_EQ(Shell("WINEPREFIX='" + prefix + "' '" TAPEDELAY_WINE_RUN "' --boot").status, 0);
        display = std::make_unique<XvfbDisplay>();
        ASSERT_TRUE(display->running()) << "Xvfb did not start";
        WriteSamples(path("in.wav"), TestSignal(kFrames), 48000.0);
    }

    // The Windows host with these options, the plug-in, in.wav and
    // host.wav. (wine-run keeps programs off the display: Wine itself, as
    // it sets it up.)
    std::string onWindows(const std::string& options) const
    {
        return "WINEPREFIX='" + prefix +
               "' WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES='mscoree,mshtml=' "
               "timeout 300 \"${TAPEDELAY_WINE:-/usr/lib/wine/wine64}\" '" +
               windowsHost.string() + "' " + options + " 'Z:" + plugin.string() +
               "' 'Z:" + path("in.wav") + "' 'Z:" + path("host.wav") + "'";
    }

    std::filesystem::path windowsHost;
    std::filesystem::path plugin;
    std::string prefix;
    std::unique_ptr<XvfbDisplay> display;
};

TEST_P(EditorWine, ThePanelShowsAsOnLinuxAndAHostChangeRedrawsTheDial)
{
    if (!display)
        return;
    // The host's change comes 8 s after the editor opened, time enough for
    // the first screenshot.
    const BackgroundRun run(*display, onWindows("--editor 15 --editor-set fbak=9@8"), path(""));
    const std::string window = display->window("^" + windowsHost.stem().string() + ": ", 120);
    ASSERT_FALSE(window.empty()) << run.printed();
    const Outcome linuxSize =
        Shell("identify -format '%w %h' '" TAPEDELAY_EDITOR_REFERENCES "/panel.png'", false);
    const auto [width, height] = display->size(window);
    EXPECT_EQ(std::to_string(width) + " " + std::to_string(height), linuxSize.output);
    const std::string name = GetParam().name;
    ExpectShows(*display, window, "panel.png", name + "-wine-opened.png", kPixelBudget, 6.0);
    ExpectShows(*display, window, "panel-feedback9.png", name + "-wine-changed.png", kPixelBudget,
                12.0);

    const std::string log = run.finish();
    EXPECT_EQ(log.find("begin"), std::string::npos) << "a host's change is no gesture: " << log;
    const std::vector<float> expected = command(path("in.wav"), " --set fbak=9");
    ASSERT_EQ(expected.size(), kFrames);
    EXPECT_EQ(Difference(Samples(path("host.wav")), expected), "");
}

TEST_P(EditorWine, OpeningAndClosingAHundredTimesKeepsTheMemory)
{
    if (!display)
        return;
    const Outcome done = display->run(onWindows("--editor-cycles 100"));
    ASSERT_EQ(done.status, 0) << done.output;
    const CycleMemory kib = ResidentAfterCycles(done.output, 100);
    ASSERT_GT(kib.first, 0) << done.output;
    ASSERT_GT(kib.last, 0) << done.output;
    EXPECT_LT(kib.last - kib.first, kCycleGrowthKiB) << done.output;
}

INSTANTIATE_TEST_SUITE_P(Formats, EditorWine, ::testing::ValuesIn(kPluginFormats), FormatName);

} // namespace
