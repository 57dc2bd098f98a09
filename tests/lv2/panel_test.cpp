// The bundle's UI module as a host drives it through lv2ui_descriptor: a
// host that lacks what the panel needs gets an error in its log, not a
// crash; on an X server of the test's own the panel opens inside the host's
// window, tells the host its size, takes any port event and resize, and
// goes again without a trace, a hundred times over (the clang-san stage
// runs this under AddressSanitizer).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <lv2/ui/ui.h>

#include "editor/editor.h"
#include "editor/panellayout.h"
#include "lv2/bundleports.h"
#include "tests/support/lv2portindices.h"
#include "tests/support/lv2rig.h"
#include "tests/support/shell.h"
#include "tests/support/xvfbdisplay.h"

namespace {

const std::string kBundle = std::string(TAPEDELAY_LV2_BUNDLE) + "/";

// The UI module loaded as a host loads it.
struct UiModule : Lv2SharedObject<LV2UI_Descriptor> {
    UiModule() : Lv2SharedObject("tapedelay_ui.so", "lv2ui_descriptor") {}
};

// A host's side of the panel: its window, the map and the log, the size it
// was told, and what the panel wrote.
class PanelHost {
public:
    explicit PanelHost(std::uintptr_t parent = 0) : parent(parent) {}

    std::vector<const LV2_Feature*> features()
    {
        std::vector<const LV2_Feature*> list;
        std::ranges::copy_if(lv2.features(true), std::back_inserter(list),
                             [](const LV2_Feature* feature) { return feature != nullptr; });
        if (parent != 0)
            list.push_back(&parentFeature);
        list.insert(list.end(), {&resizeFeature, &touchFeature, nullptr});
        return list;
    }

    LV2UI_Handle open(const LV2UI_Descriptor* descriptor, const char* pluginUri,
                      const std::string& bundle = kBundle)
    {
        const std::vector<const LV2_Feature*> offered = features();
        return descriptor->instantiate(descriptor, pluginUri, bundle.c_str(), write, this, &widget,
                                       offered.data());
    }

    static void write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size,
                      std::uint32_t format, const void* buffer)
    {
        auto& host = *static_cast<PanelHost*>(const_cast<void*>(controller));
        if (format == 0 && size == sizeof(float))
            host.written.push_back({port, *static_cast<const float*>(buffer)});
    }

    Lv2Host lv2;
    std::uintptr_t parent;
    LV2UI_Widget widget = nullptr;
    std::pair<int, int> told{0, 0};
    std::vector<std::pair<std::uint32_t, bool>> touched;
    std::vector<std::pair<std::uint32_t, float>> written;

private:
    LV2UI_Resize resize{this, [](LV2UI_Feature_Handle handle, int width, int height) {
                            static_cast<PanelHost*>(handle)->told = {width, height};
                            return 0;
                        }};
    LV2UI_Touch touch{this, [](LV2UI_Feature_Handle handle, std::uint32_t port, bool grabbed) {
                          static_cast<PanelHost*>(handle)->touched.push_back({port, grabbed});
                      }};
    LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)};
    LV2_Feature resizeFeature{LV2_UI__resize, &resize};
    LV2_Feature touchFeature{LV2_UI__touch, &touch};
};

TEST(Lv2PanelModule, OffersAPanelForEachPlugin)
{
    const UiModule module;
    for (std::uint32_t i = 0; i < std::size(kBundlePlugins); ++i) {
        const LV2UI_Descriptor* descriptor = module.descriptor(i);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_STREQ(descriptor->URI, kBundlePlugins[i].ui);
        EXPECT_NE(descriptor->extension_data(LV2_UI__idleInterface), nullptr);
        EXPECT_NE(descriptor->extension_data(LV2_UI__resize), nullptr);
        EXPECT_EQ(descriptor->extension_data(LV2_UI__showInterface), nullptr);
    }
    EXPECT_EQ(module.descriptor(std::size(kBundlePlugins)), nullptr);
}

// Nothing but the entry point leaves either shared object of the bundle.
TEST(Lv2PanelModule, ExportsOnlyItsEntryPoint)
{
    for (const auto& [file, entry] : {std::pair{"tapedelay_ui.so", "lv2ui_descriptor"},
                                      std::pair{"tapedelay_lv2.so", "lv2_descriptor"}}) {
        const Outcome listed =
            Shell("nm -D --defined-only " + kBundle + file + " | awk '{print $3}'", false);
        EXPECT_EQ(listed.status, 0);
        EXPECT_EQ(listed.output, std::string(entry) + "\n") << file;
    }
}

TEST(Lv2PanelModule, WhatTheHostLacksIsLoggedNotCrashedOn)
{
    const UiModule module;
    const LV2UI_Descriptor* mono = module.descriptor(0);
    const struct {
        const char* pluginUri;
        std::string bundle;
        std::uintptr_t parent;
        const char* logged;
    } cases[] = {
        {kPluginUri, kBundle, 0, "ui:parent"},
        {kStereoPluginUri, kBundle, 1, "is not for urn:orlund:vx9:tapedelay-stereo"},
        {nullptr, kBundle, 1, "is not for no plug-in"},
        {kPluginUri, "/nonexistent/", 1, "could not open"},
    };
    for (const auto& each : cases) {
        PanelHost host(each.parent);
        EXPECT_EQ(host.open(mono, each.pluginUri, each.bundle), nullptr) << each.logged;
        EXPECT_NE(host.lv2.logged.find(each.logged), std::string::npos) << host.lv2.logged;
    }
}

// The host's window on the test's own X server.
class PanelOnDisplay : public ::testing::Test {
protected:
    PanelOnDisplay()
    {
        // Mesa's software driver keeps its option names until it is
        // unloaded, when they cannot be found any more and LeakSanitizer
        // reports them as lost: it stays loaded, as in a host.
        if (*TAPEDELAY_MESA_DRIVER != '\0')
            dlopen(TAPEDELAY_MESA_DRIVER, RTLD_NOW | RTLD_NODELETE);
        if (!server.running())
            return;
        setenv("DISPLAY", server.display().c_str(), 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        display = XOpenDisplay(server.display().c_str());
        if (display == nullptr)
            return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 800, 600, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~PanelOnDisplay() override
    {
        if (display != nullptr) {
            XDestroyWindow(display, window);
            XCloseDisplay(display);
        }
    }

    // The windows inside the host's.
    std::vector<Window> children()
    {
        XSync(display, False);
        Window root = 0, parent = 0, *list = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, window, &root, &parent, &list, &count) == 0)
            return {};
        std::vector<Window> found(list, list + count);
        XFree(list);
        return found;
    }
    // A window's size once it is `expected`, or after a second: the
    // panel's own connection to the server may be served after ours.
    std::pair<int, int> sizeOf(Window w, std::pair<int, int> expected)
    {
        std::pair<int, int> size;
        for (int i = 0; i < 50 && size != expected; ++i) {
            if (i > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            XWindowAttributes attributes{};
            XGetWindowAttributes(display, w, &attributes);
            size = {attributes.width, attributes.height};
        }
        return size;
    }

    XvfbDisplay server;
    Display* display = nullptr;
    Window window = 0;
};

// Every port's value, and reports no panel should act on.
void SendPortEvents(const LV2UI_Descriptor* descriptor, LV2UI_Handle panel, std::uint32_t ports)
{
    const float values[] = {0.0f, 0.5f, 1.0f, 1e9f, -1e9f, std::numeric_limits<float>::quiet_NaN()};
    for (std::uint32_t port = 0; port <= ports; ++port)
        for (const float value : values)
            descriptor->port_event(panel, port, sizeof value, 0, &value);
    const double wide = 0.5;
    descriptor->port_event(panel, 5, sizeof wide, 0, &wide);
    descriptor->port_event(panel, 5, sizeof(float), 7, &wide);
    descriptor->port_event(panel, 5, sizeof(float), 0, nullptr);
    descriptor->port_event(panel, ~0u, sizeof(float), 0, values);
}

TEST_F(PanelOnDisplay, OpensInTheHostsWindowAndClosesWithoutATrace)
{
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    ASSERT_NE(display, nullptr);
    const UiModule module;
    for (std::uint32_t d = 0; d < std::size(kBundlePlugins); ++d) {
        const LV2UI_Descriptor* descriptor = module.descriptor(d);
        const auto* idle = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        const auto* resize =
            static_cast<const LV2UI_Resize*>(descriptor->extension_data(LV2_UI__resize));
        for (int round = 0; round < 50; ++round) {
            SCOPED_TRACE(std::string(kBundlePlugins[d].ui) + " round " + std::to_string(round));
            PanelHost host(window);
            LV2UI_Handle panel = host.open(descriptor, kBundlePlugins[d].uri);
            ASSERT_NE(panel, nullptr) << host.lv2.logged;
            const auto widget = reinterpret_cast<std::uintptr_t>(host.widget);
            ASSERT_EQ(children(), std::vector<Window>{widget});
            // The host was told the size the panel has.
            EXPECT_GT(host.told.first, 0);
            EXPECT_EQ(sizeOf(widget, host.told), host.told);

            SendPortEvents(descriptor, panel, 25);
            EXPECT_EQ(idle->idle(panel), 0);
            // A size the panel cannot take comes back as one it took.
            for (const auto& [width, height] : {std::pair{1, 1}, std::pair{100000, 50}}) {
                EXPECT_EQ(resize->ui_resize(panel, width, height), 0);
                EXPECT_EQ(idle->idle(panel), 0);
                EXPECT_EQ(sizeOf(widget, host.told), host.told);
            }
            // Only what a user does writes ports.
            EXPECT_TRUE(host.written.empty());
            EXPECT_TRUE(host.touched.empty());
            descriptor->cleanup(panel);
            EXPECT_TRUE(children().empty());
        }
    }
}

// A user's drag on the Feedback dial and a click on Tap, as the X server
// delivers them to the panel at its default size.
TEST_F(PanelOnDisplay, AUsersDragIsATouchedGestureAndTapWritesItsPort)
{
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    ASSERT_NE(display, nullptr);
    const UiModule module;
    const LV2UI_Descriptor* descriptor = module.descriptor(1); // stereo: ports moved by two
    const auto* idle =
        static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
    PanelHost host(window);
    LV2UI_Handle panel = host.open(descriptor, kStereoPluginUri);
    ASSERT_NE(panel, nullptr) << host.lv2.logged;
    const auto idleAWhile = [&] {
        for (int i = 0; i < 10; ++i) {
            idle->idle(panel);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    };
    idleAWhile();

    const float scale = static_cast<float>(Editor::defaultSize().width) / kPanelWidth;
    const auto px = [&](float v) { return static_cast<int>(v * scale); };
    const auto widget = std::to_string(reinterpret_cast<std::uintptr_t>(host.widget));
    const DialGeometry dial = PanelLayout::dial(Control::feedback);
    server.drag(widget, px(dial.centerX), px(dial.centerY), 0, -px(40.0f));
    idleAWhile();

    const std::map<std::string, std::uint32_t> ports = Lv2PortIndices(kStereoPluginUri);
    const std::uint32_t feedback = ports.at("fbak");
    const decltype(host.touched) touchedFeedback = {{feedback, true}, {feedback, false}};
    EXPECT_EQ(host.touched, touchedFeedback);
    ASSERT_FALSE(host.written.empty());
    float last = 0.0f;
    for (const auto& [port, value] : host.written) {
        EXPECT_EQ(port, feedback);
        EXPECT_GT(value, last) << "an upward drag raises the feedback";
        last = value;
    }

    host.written.clear();
    const Rect tap = PanelLayout::bounds(Control::tap);
    server.click(widget, px(tap.x + tap.w / 2.0f), px(tap.y + tap.h / 2.0f));
    idleAWhile();
    const decltype(host.written) tapped = {{ports.at("tap"), 1.0f}, {ports.at("tap"), 0.0f}};
    EXPECT_EQ(host.written, tapped);
    descriptor->cleanup(panel);
}

} // namespace
