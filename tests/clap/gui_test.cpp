// The CLAP plug-in's editor as a host meets it without a display: the
// window APIs and sizes it answers, the host's timer it needs, and the
// editor's gestures, which become gesture and value events in the next
// block and change the sound as the same values from the host would.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "clap/ext/gui.h"
#include "clap/ext/timer-support.h"
#include "editor/editor.h"
#include "host/effect/adapterparameters.h"
#include "host/product/parametercodes.h"
#include "tests/support/claprig.h"

// Failures name the event, not its bytes.
inline void PrintTo(const ClapRig::Sent& sent, std::ostream* out)
{
    *out << "{type " << sent.type << ", id " << sent.id << ", " << sent.value << "}";
}

namespace {

clap_id Id(const char* code)
{
    return FourCharacterCode(code);
}

const clap_plugin_gui_t& Gui(const ClapRig& rig)
{
    return *static_cast<const clap_plugin_gui_t*>(
        rig.plugin->get_extension(rig.plugin, CLAP_EXT_GUI));
}

EditorHost& Gestures(const ClapRig& rig)
{
    return TapeDelayClap::Of(rig.plugin).editorHost();
}

TEST(ClapGui, AnswersItsWindowApiAndSizesWithoutAWindow)
{
    ClapRig rig;
    const clap_plugin_gui_t& gui = Gui(rig);
#if defined(_WIN32)
    const char* own = CLAP_WINDOW_API_WIN32;
    const char* other = CLAP_WINDOW_API_X11;
#else
    const char* own = CLAP_WINDOW_API_X11;
    const char* other = CLAP_WINDOW_API_WIN32;
#endif
    EXPECT_TRUE(gui.is_api_supported(rig.plugin, own, false));
    EXPECT_FALSE(gui.is_api_supported(rig.plugin, own, true)); // embedded only
    EXPECT_FALSE(gui.is_api_supported(rig.plugin, other, false));
    EXPECT_FALSE(gui.is_api_supported(rig.plugin, CLAP_WINDOW_API_WAYLAND, false));
    EXPECT_FALSE(gui.is_api_supported(rig.plugin, nullptr, false));
    const char* preferred = nullptr;
    bool floating = true;
    ASSERT_TRUE(gui.get_preferred_api(rig.plugin, &preferred, &floating));
    EXPECT_STREQ(preferred, own);
    EXPECT_FALSE(floating);
    EXPECT_FALSE(gui.get_preferred_api(rig.plugin, nullptr, &floating));

    EXPECT_TRUE(gui.can_resize(rig.plugin));
    EXPECT_FALSE(gui.set_scale(rig.plugin, 2.0));
    EXPECT_FALSE(gui.set_transient(rig.plugin, nullptr));
    clap_gui_resize_hints_t hints{};
    ASSERT_TRUE(gui.get_resize_hints(rig.plugin, &hints));
    EXPECT_TRUE(hints.preserve_aspect_ratio);
    EXPECT_EQ(hints.aspect_ratio_width, Editor::defaultSize().width);
    EXPECT_EQ(hints.aspect_ratio_height, Editor::defaultSize().height);

    // Any wish comes back as the size the panel takes (what sizes those are
    // is panellayout_test.cpp's).
    for (const auto& [wishedWidth, wishedHeight] :
         {std::pair{0u, 0u}, {100000u, 1u}, {1000u, 300u}, {333u, 777u}}) {
        std::uint32_t width = wishedWidth, height = wishedHeight;
        ASSERT_TRUE(gui.adjust_size(rig.plugin, &width, &height));
        const EditorSize expected = Editor::constrain({wishedWidth, wishedHeight});
        EXPECT_EQ(std::pair(width, height), std::pair(expected.width, expected.height))
            << wishedWidth << "x" << wishedHeight;
    }
    std::uint32_t width = 0;
    EXPECT_FALSE(gui.adjust_size(rig.plugin, &width, nullptr));
    // No editor made yet: nothing to size.
    std::uint32_t height = 0;
    EXPECT_FALSE(gui.get_size(rig.plugin, &width, &height));
    EXPECT_FALSE(gui.set_size(rig.plugin, 640, 480));
}

TEST(ClapGui, IsMadeOnlyWithTheHostsTimerAndGivesItBack)
{
#if !defined(_WIN32)
    {
        ClapRig without;
        EXPECT_FALSE(Gui(without).create(without.plugin, CLAP_WINDOW_API_X11, false));
        ASSERT_FALSE(without.logged.empty());
        EXPECT_NE(without.logged.back().find("timer"), std::string::npos);
    }
#endif
    ClapRig rig(1, std::make_shared<ClapModule>(TAPEDELAY_PLUGIN_FILE), true);
    const clap_plugin_gui_t& gui = Gui(rig);
    const char* api = nullptr;
    bool floating = false;
    gui.get_preferred_api(rig.plugin, &api, &floating);
    EXPECT_FALSE(gui.create(rig.plugin, api, true)); // floating: refused
    EXPECT_TRUE(rig.timers.empty());
    ASSERT_TRUE(gui.create(rig.plugin, api, false));
    EXPECT_FALSE(gui.create(rig.plugin, api, false)); // one at a time
    ASSERT_EQ(rig.timers.size(), 1u);
    EXPECT_GE(rig.timers[0].second, 10u);
    EXPECT_LE(rig.timers[0].second, 50u);

    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui.get_size(rig.plugin, &width, &height));
    EXPECT_EQ(width, Editor::defaultSize().width);
    EXPECT_EQ(height, Editor::defaultSize().height);
    // A size the panel cannot take changes nothing; one from adjust_size is
    // taken.
    const EditorSize high = Editor::maximumSize();
    EXPECT_FALSE(gui.set_size(rig.plugin, high.width + 10, high.height + 10));
    std::uint32_t wanted[2] = {high.width, high.height};
    gui.adjust_size(rig.plugin, &wanted[0], &wanted[1]);
    EXPECT_TRUE(gui.set_size(rig.plugin, wanted[0], wanted[1]));
    ASSERT_TRUE(gui.get_size(rig.plugin, &width, &height));
    EXPECT_EQ(width, wanted[0]);
    EXPECT_EQ(height, wanted[1]);
    // A window of another API is refused.
    clap_window_t window{};
    window.api = "cocoa";
    EXPECT_FALSE(gui.set_parent(rig.plugin, &window));
    EXPECT_FALSE(gui.set_parent(rig.plugin, nullptr));

    gui.destroy(rig.plugin);
    EXPECT_TRUE(rig.timers.empty());
    EXPECT_FALSE(gui.get_size(rig.plugin, &width, &height));
}

struct ClapEditorGestures : ::testing::Test {
    ClapRig rig;
    ClapRig host; // the same values, from the host
    const PluginDescription& description = rig.module->product.description;

    void SetUp() override
    {
        ASSERT_TRUE(rig.activate());
        ASSERT_TRUE(host.activate());
    }
    std::size_t index(const char* code) const { return *description.find(code); }
};

TEST_F(ClapEditorGestures, BecomeGestureEventsInTheNextBlockAndSoundAsTheHostsValues)
{
    const std::size_t feedback = index(kFeedback), time = index(kDelayTime);
    Gestures(rig).beginGesture(feedback);
    Gestures(rig).changeValue(feedback, 7.0);
    Gestures(rig).beginGesture(time);
    Gestures(rig).changeValue(time, 0.25);
    Gestures(rig).endGesture(feedback);
    Gestures(rig).tapButton(true);
    EXPECT_GE(rig.flushRequests, 4);

    host.change(Id(kFeedback), 7.0);
    host.change(Id(kDelayTime), 0.25);
    host.change(kTapParameter, 1.0);

    std::vector<std::vector<float>> audio(1, std::vector<float>(256, 0.0f)), same = audio;
    rig.process(audio, 0, 256);
    host.process(same, 0, 256);
    using Sent = ClapRig::Sent;
    const std::vector<Sent> expected = {{CLAP_EVENT_PARAM_GESTURE_BEGIN, Id(kFeedback), 0.0},
                                        {CLAP_EVENT_PARAM_VALUE, Id(kFeedback), 7.0},
                                        {CLAP_EVENT_PARAM_GESTURE_BEGIN, Id(kDelayTime), 0.0},
                                        {CLAP_EVENT_PARAM_VALUE, Id(kDelayTime), 0.25},
                                        {CLAP_EVENT_PARAM_GESTURE_END, Id(kFeedback), 0.0},
                                        {CLAP_EVENT_PARAM_GESTURE_BEGIN, kTapParameter, 0.0},
                                        {CLAP_EVENT_PARAM_VALUE, kTapParameter, 1.0},
                                        {CLAP_EVENT_PARAM_GESTURE_END, kTapParameter, 0.0}};
    ASSERT_GE(rig.sequence.size(), expected.size());
    EXPECT_EQ(std::vector<Sent>(rig.sequence.begin(), rig.sequence.begin() + expected.size()),
              expected);
    EXPECT_EQ(rig.value(Id(kFeedback)), 7.0);

    // The delay time's gesture goes on: its end comes in a later block.
    Gestures(rig).endGesture(time);
    Gestures(rig).tapButton(false);
    host.change(kTapParameter, 0.0);
    rig.process(audio, 0, 256);
    host.process(same, 0, 256);
    ASSERT_GE(rig.sequence.size(), 4u);
    EXPECT_EQ(rig.sequence[0], (Sent{CLAP_EVENT_PARAM_GESTURE_END, Id(kDelayTime), 0.0}));
    EXPECT_EQ(rig.sequence[2], (Sent{CLAP_EVENT_PARAM_VALUE, kTapParameter, 0.0}));
    EXPECT_EQ(rig.clicks(96000), host.clicks(96000));
}

TEST_F(ClapEditorGestures, ReachTheSoundThroughAFlushAndSkipWhatTheHostCannotSet)
{
    // The plug-in's own display values are not the editor's to set; values
    // out of range are taken at the nearer end, no number not at all.
    Gestures(rig).beginGesture(index(kShownSessionTempo));
    Gestures(rig).changeValue(index(kShownSessionTempo), 99.0);
    Gestures(rig).endGesture(index(kShownSessionTempo));
    Gestures(rig).beginGesture(description.parameters.size());
    const std::size_t blend = index(kBlend);
    Gestures(rig).beginGesture(blend);
    Gestures(rig).changeValue(blend, std::nan(""));
    Gestures(rig).changeValue(blend, 1e9);
    Gestures(rig).endGesture(blend);
    const double top = description.parameters[blend].maxValue;
    host.change(Id(kBlend), top);

    rig.flush();
    host.flush();
    using Sent = ClapRig::Sent;
    // Then only the meters.
    ASSERT_GE(rig.sequence.size(), 3u);
    EXPECT_EQ(std::vector<Sent>(rig.sequence.begin(), rig.sequence.begin() + 3),
              (std::vector<Sent>{{CLAP_EVENT_PARAM_GESTURE_BEGIN, Id(kBlend), 0.0},
                                 {CLAP_EVENT_PARAM_VALUE, Id(kBlend), top},
                                 {CLAP_EVENT_PARAM_GESTURE_END, Id(kBlend), 0.0}}));
    for (std::size_t i = 3; i < rig.sequence.size(); ++i)
        EXPECT_TRUE(rig.sequence[i].id == kMeterParameters[0] ||
                    rig.sequence[i].id == kMeterParameters[1]);
    EXPECT_EQ(rig.value(Id(kBlend)), top);
    EXPECT_EQ(rig.clicks(96000), host.clicks(96000));
}

TEST(ClapEditorGesturesInactive, WaitForTheFirstActivationAsTheHostsValuesDo)
{
    ClapRig rig, host;
    const std::size_t feedback = *rig.module->product.description.find(kFeedback);
    Gestures(rig).beginGesture(feedback);
    Gestures(rig).changeValue(feedback, 2.0);
    Gestures(rig).endGesture(feedback);
    host.change(Id(kFeedback), 2.0);
    rig.flush(); // on the main thread, before any activation
    host.flush();
    EXPECT_EQ(rig.sequence.size(), 3u);
    EXPECT_EQ(rig.value(Id(kFeedback)), 2.0);
    ASSERT_TRUE(rig.activate());
    ASSERT_TRUE(host.activate());
    EXPECT_EQ(rig.clicks(96000), host.clicks(96000));
}

} // namespace
