// The Windows VST3 host under Wine opens the Windows bundle's editor on an
// Xvfb display of the test's own: the editor sizes the host's window as on
// Linux, a screenshot of it is kept, and the host renders after it closes.
// (Wine 8 draws an OpenGL child window offscreen and, under Xvfb, never
// shows it in its parent: the screenshot is black, so it is kept for a
// look, not compared.)
//
// Needs TAPEDELAY_WINDOWS_BUILD, a MinGW build directory holding the host
// in bin/ and the bundle in vst3-path/ (and the Wine prefix its tests
// booted); skipped without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "editorscreens.h"
#include "formatrun.h"

namespace {

struct EditorWine : ScratchDirectory {};

TEST_F(EditorWine, TheWindowsVst3EditorOpensAtItsSizeAndTheHostRendersAfter)
{
    const char* windowsBuild = std::getenv("TAPEDELAY_WINDOWS_BUILD");
    if (windowsBuild == nullptr || *windowsBuild == '\0')
        GTEST_SKIP() << "TAPEDELAY_WINDOWS_BUILD is not set";
    for (const auto& [tool, package] :
         {std::pair{"Xvfb", "xvfb"}, {"xdotool", "xdotool"}, {"import", "imagemagick"}})
        if (!ToolInstalled(tool, package))
            return;
    const std::filesystem::path build = std::filesystem::absolute(windowsBuild);
    const PluginFormat& vst3 = kPluginFormats[0];
    const std::filesystem::path host = build / vst3.windowsHost;
    const std::filesystem::path bundle = build / vst3.windowsPlugin;
    ASSERT_TRUE(std::filesystem::exists(host)) << host;
    ASSERT_TRUE(std::filesystem::exists(bundle)) << bundle;
    const std::string prefix = (build / "wine-prefix").string();
    ASSERT_EQ(Shell("WINEPREFIX='" + prefix + "' '" TAPEDELAY_WINE_RUN "' --boot").status, 0);

    XvfbDisplay display;
    ASSERT_TRUE(display.running()) << "Xvfb did not start";
    WriteSamples(path("in.wav"), TestSignal(4800), 48000.0);
    // wine-run keeps programs off the display: Wine itself, as it sets it up.
    const BackgroundRun run(
        display,
        "WINEPREFIX='" + prefix +
            "' WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES='mscoree,mshtml=' "
            "timeout 300 \"${TAPEDELAY_WINE:-/usr/lib/wine/wine64}\" '" +
            host.string() + "' --editor 20 'Z:" + bundle.string() + "' 'Z:" + path("in.wav") +
            "' 'Z:" + path("out.wav") + "'",
        path(""));
    const std::string window = display.window("^vst3host: ", 120);
    ASSERT_FALSE(window.empty()) << run.printed();
    const std::string reference =
        (std::filesystem::path(TAPEDELAY_EDITOR_REFERENCES) / "panel.png").string();
    const Outcome linuxSize = Shell("identify -format '%w %h' '" + reference + "'", false);
    const auto [width, height] = display.size(window);
    EXPECT_EQ(std::to_string(width) + " " + std::to_string(height), linuxSize.output);
    std::filesystem::create_directories(TAPEDELAY_EDITOR_SCREENSHOTS);
    EXPECT_TRUE(display.screenshot(
        window, (std::filesystem::path(TAPEDELAY_EDITOR_SCREENSHOTS) / "Vst3-wine.png").string()));
    run.finish();
    EXPECT_EQ(Samples(path("out.wav")).size(), 4800u);
}

} // namespace
