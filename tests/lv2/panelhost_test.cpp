// The panel in a real host: jalv's GTK host on a JACK server of the test's
// own (dummy driver) and on an X server of its own with Mesa's software
// OpenGL. The panel opens inside jalv's window and looks as the committed
// reference does; a drag on the Feedback dial reaches the plug-in, whose
// echoes of a click then ring on where they died away at once before.
//
// TAPEDELAY_UPDATE_REFERENCES=1 writes the screenshot as the new reference
// instead of comparing (after a deliberate change to the panel's look).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "editor/panellayout.h"
#include "host/runtime/pluginlibrary.h"
#include "lv2/bundleports.h"
#include "tests/support/hostrun.h"
#include "tests/support/scratchdirectory.h"
#include "tests/support/xvfbdisplay.h"

namespace {

const std::string kReference = std::string(TAPEDELAY_SOURCE_DIR) + "/tests/lv2/panel-jalv.png";

// The output peaks jalv printed (--print-controls), in order.
std::vector<double> OutputPeaks(const std::string& log)
{
    std::vector<double> peaks;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("out_peak = ", 0) == 0)
            peaks.push_back(std::atof(line.c_str() + 11));
    return peaks;
}

// The share of the last `count` peaks that are not silence: the clicks and
// their echoes.
double Loudness(const std::vector<double>& peaks, std::size_t count)
{
    const auto last = std::min(count, peaks.size());
    const auto loud = std::count_if(peaks.end() - static_cast<std::ptrdiff_t>(last), peaks.end(),
                                    [](double peak) { return peak > 0.02; });
    return last > 0 ? static_cast<double>(loud) / static_cast<double>(last) : 0.0;
}

class PanelInJalv : public ScratchDirectory {
protected:
    PanelInJalv()
    {
        PluginLibrary library(std::string(TAPEDELAY_LV2_BUNDLE) + "/" + PluginLibrary::fileName());
        pluginName = DescribeLibrary(library).name;
    }

    std::string environment() const
    {
        return x.environment() + " " + jack.environment() +
               " LV2_PATH=" + std::filesystem::path(TAPEDELAY_LV2_BUNDLE).parent_path().string();
    }
    std::string log() const { return readText(path("jalv.log")); }

    XvfbDisplay x;
    JackServer jack;
    std::string pluginName;
    const std::string client = "tapedelay-panel-" + std::to_string(getpid());
};

TEST_F(PanelInJalv, OpensLooksRightAndADragSetsTheFeedback)
{
    ASSERT_TRUE(x.running()) << "Xvfb did not start";
    ASSERT_TRUE(jack.running()) << "the JACK server did not start";
    const BackgroundCommand jalv(environment() +
                                     " timeout 60 jalv.gtk3 --no-menu --print-controls" +
                                     " --jack-name " + client + " " + kPluginUri,
                                 path("jalv.log"));

    // jalv's window, named after the plug-in, holds the panel and nothing
    // else (no menu), at the panel's size.
    const std::string window = x.window("^" + pluginName + "$", 20);
    ASSERT_FALSE(window.empty()) << log();
    ASSERT_NE(log().find(std::string("UI:           ") + kBundlePlugins[0].ui), std::string::npos)
        << log();
    std::this_thread::sleep_for(std::chrono::seconds(2)); // a few idle rounds to draw

    const std::string shot = path("panel.png");
    ASSERT_TRUE(x.screenshot(window, shot));
    if (std::getenv("TAPEDELAY_UPDATE_REFERENCES") != nullptr) {
        std::filesystem::copy_file(shot, kReference,
                                   std::filesystem::copy_options::overwrite_existing);
    } else {
        ASSERT_TRUE(std::filesystem::exists(kReference)) << kReference;
        const EditorSize size = Editor::defaultSize();
        const long differing = DifferentPixels(kReference, shot, "6%");
        EXPECT_GE(differing, 0) << "not the panel's size: " << x.run("identify " + shot).output;
        EXPECT_LT(differing, static_cast<long>(size.width * size.height / 200))
            << "the panel looks different; kept in " << shot;
    }

    // Clicks every three seconds into the plug-in, 0.5 s apart from their echoes.
    const BackgroundCommand clicks(environment() + " timeout 50 jack_metro -n " + client +
                                   "-clicks -b 20 -f 1000 -D 200 -A 0.5");
    const Outcome connected =
        Shell(environment() + " sh -c 'for i in $(seq 50); do jack_connect " + client +
              "-clicks:20_bpm " + client + ":in && exit 0; sleep 0.1; done; exit 1'");
    ASSERT_EQ(connected.status, 0) << connected.output;
    std::this_thread::sleep_for(std::chrono::seconds(10));
    // The last nine seconds, at jalv's 30 updates a second: three clicks.
    const double before = Loudness(OutputPeaks(log()), 270);

    // Up the Feedback dial, in steps as a hand moves, with jalv's window
    // low enough on the screen for a long drag.
    x.run("xdotool windowmove --sync " + window + " 0 600");
    const DialGeometry dial = PanelLayout::dial(Control::feedback);
    const float scale = static_cast<float>(Editor::defaultSize().width) / kPanelWidth;
    x.drag(window, static_cast<int>(dial.centerX * scale), static_cast<int>(dial.centerY * scale),
           0, -300, 10);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double after = Loudness(OutputPeaks(log()), 270);

    EXPECT_GT(before, 0.05) << "the clicks did not come through";
    EXPECT_GT(after, 2 * before) << "loud before the drag " << before << ", after " << after;
}

} // namespace
