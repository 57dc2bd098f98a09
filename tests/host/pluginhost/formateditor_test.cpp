// Each format's test host (vst3host through the VST3 bundle, claphost
// through the CLAP plug-in) opens the plug-in's editor in its window on an
// X display of the test's own: the panel shows as the committed reference
// shows it; a drag on Feedback and a click on Mode reach the host as
// gestures, and the render after them is the command's render with the
// values they left; a change the host makes redraws the dial and reaches
// the render; and opening and closing it a hundred times keeps the memory
// (and, in the sanitizer build, finds no leak or invalid access).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>

#include "editor/panellayout.h"
#include "editorscreens.h"
#include "formatrun.h"

// In the sanitizer build Mesa's driver stays loaded in the hosts, so that
// what it holds when a display closes is not taken for a leak of an
// unloaded module.
#if !defined(TAPEDELAY_KEEP_LOADED)
#define TAPEDELAY_KEEP_LOADED ""
#endif

namespace {

constexpr double kRate = 48000.0;
constexpr std::size_t kFrames = 24000;
// Tone and Mode: Normal, Dark, Bright; Vintage, Retro, Modern.
constexpr std::size_t kToneOptions = 3, kModeOptions = 3;
constexpr std::size_t kModern = 2;
// The sanitizers slow the editor's drawing: its times stretched.
#if defined(TAPEDELAY_SANITIZED)
constexpr int kSlower = 3;
#else
constexpr int kSlower = 1;
#endif

struct Point {
    int x = 0;
    int y = 0;
};

std::string Seconds(int seconds)
{
    return std::to_string(seconds * kSlower);
}

// A rectangle of the panel in window pixels, as ImageMagick's "WxH+X+Y".
std::string Region(const Rect& r, double scale)
{
    const auto px = [&](float v) { return std::to_string(std::lround(v * scale)); };
    return px(r.w) + "x" + px(r.h) + "+" + px(r.x) + "+" + px(r.y);
}

// The lines of the log that are gestures: "begin ID", "value ID V", "end ID".
std::vector<std::string> Gestures(const std::string& log)
{
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("begin ", 0) == 0 || line.rfind("value ", 0) == 0 ||
            line.rfind("end ", 0) == 0)
            lines.push_back(line);
    return lines;
}

struct FormatEditor : FormatRun {
    void SetUp() override
    {
        for (const auto& [tool, package] :
             {std::pair{"Xvfb", "xvfb"}, {"xdotool", "xdotool"}, {"import", "imagemagick"}})
            if (!ToolInstalled(tool, package))
                return;
        display = std::make_unique<XvfbDisplay>();
        ASSERT_TRUE(display->running()) << "Xvfb did not start";
        WriteSamples(in, TestSignal(kFrames), kRate);
    }

    // The host, with these options before the plug-in and files, started in
    // the background on the display.
    BackgroundRun start(const std::string& options) const
    {
        return {*display,
                TAPEDELAY_KEEP_LOADED + program + options + " " + pluginFile + " " + in + " " +
                    path("host.wav"),
                path("")};
    }

    // The host's window, and the panel's scale in it.
    std::string window()
    {
        const std::string found = display->window("^" + hostName() + ": ");
        if (!found.empty())
            scale = display->size(found).first / static_cast<double>(kPanelWidth);
        return found;
    }
    Point at(float x, float y) const
    {
        return {static_cast<int>(std::lround(x * scale)), static_cast<int>(std::lround(y * scale))};
    }

    std::string shows(const std::string& window, const std::string& reference,
                      const std::string& kept, double seconds = 8.0) const
    {
        return ExpectShows(*display, window, reference, GetParam().name + kept, kPixelBudget,
                           seconds * kSlower);
    }

    std::unique_ptr<XvfbDisplay> display;
    const std::string in = path("in.wav");
    double scale = 1.0;
};

TEST_P(FormatEditor, DragsAndClicksAreGesturesAndTheRenderTakesTheirValues)
{
    if (!display)
        return;
    const BackgroundRun host = start(" --editor " + Seconds(8));
    const std::string shown = window();
    ASSERT_FALSE(shown.empty()) << host.printed();
    shows(shown, "panel.png", "-opened.png");

    const DialGeometry feedback = PanelLayout::dial(Control::feedback);
    const Point knob = at(feedback.centerX, feedback.centerY);
    display->drag(shown, knob.x, knob.y, 0,
                  -static_cast<int>(std::lround(feedback.radius * scale)));
    const Rect modern = PanelLayout(kToneOptions, kModeOptions).segment(Control::mode, kModern);
    const Point segment = at(modern.x + modern.w / 2, modern.y + modern.h / 2);
    display->click(shown, segment.x, segment.y);

    const std::vector<std::string> gestures = Gestures(host.finish());
    ASSERT_GE(gestures.size(), 6u);
    EXPECT_EQ(gestures.front(), "begin fbak");
    std::size_t i = 1;
    std::string fbak;
    for (; i < gestures.size() && gestures[i].rfind("value fbak ", 0) == 0; ++i)
        fbak = gestures[i].substr(11);
    ASSERT_FALSE(fbak.empty()) << "no value between begin and end";
    EXPECT_EQ(std::vector<std::string>(gestures.begin() + i, gestures.end()),
              (std::vector<std::string>{"end fbak", "begin mode",
                                        "value mode " + std::to_string(kModern), "end mode"}));
    // Up is more; the panel opened at the default, 1.
    EXPECT_GT(std::stod(fbak), 1.0) << fbak;

    const std::vector<float> expected =
        command(in, " --set fbak=" + fbak + " --set mode=" + std::to_string(kModern));
    ASSERT_EQ(expected.size(), kFrames);
    EXPECT_EQ(Difference(Samples(path("host.wav")), expected), "");
}

TEST_P(FormatEditor, AHostChangeRedrawsTheDialAndReachesTheRender)
{
    if (!display)
        return;
    const BackgroundRun host =
        start(" --editor " + Seconds(7) + " --editor-set fbak=9@" + Seconds(4));
    const std::string shown = window();
    ASSERT_FALSE(shown.empty()) << host.printed();
    const std::string before = shows(shown, "panel.png", "-before.png", 3.5);
    const std::string after = shows(shown, "panel-feedback9.png", "-after.png");
    const std::string dial = Region(PanelLayout::bounds(Control::feedback), scale);
    EXPECT_GT(DifferentPixels(before, after, kScreenFuzz, dial), kPixelBudget);

    const std::string log = host.finish();
    EXPECT_EQ(log.find("begin"), std::string::npos) << "a host's change is no gesture: " << log;
    EXPECT_EQ(Difference(Samples(path("host.wav")), command(in, " --set fbak=9")), "");
}

// Each cycle opens the editor, lets its timer tick a few times and closes
// it. The sanitizer build (ASan, LSan) fails the host on any invalid access
// or leak.
TEST_P(FormatEditor, OpeningAndClosingAHundredTimesKeepsTheMemory)
{
    if (!display)
        return;
    const Outcome done =
        display->run(std::string(TAPEDELAY_KEEP_LOADED) + program + " --editor-cycles 100 " +
                     pluginFile + " " + in + " " + path("out.wav"));
    ASSERT_EQ(done.status, 0) << done.output;
    EXPECT_EQ(done.output.find("warning"), std::string::npos) << done.output;
    const CycleMemory kib = ResidentAfterCycles(done.output, 100);
    ASSERT_GT(kib.first, 0) << done.output;
    ASSERT_GT(kib.last, 0) << done.output;
    std::cout << "resident memory after 1 cycle " << kib.first << " KiB, after 100 " << kib.last
              << " KiB\n";
#if !defined(TAPEDELAY_SANITIZED)
    // Mesa's software renderer and the X libraries take up to about 11 MB
    // over the first cycles (textures for the panel's cached picture among
    // them), then next to nothing: 300 cycles end 0.2 MB above 100.
    EXPECT_LT(kib.last - kib.first, kCycleGrowthKiB) << done.output;
#endif
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatEditor, ::testing::ValuesIn(kPluginFormats), FormatName);

} // namespace
