// The controller's view as a host meets it without a display: made for
// "editor" only and one at a time, its platform, sizes and refusals to
// attach without what it needs, and the editor's gestures as the host's
// begin, perform and end edits.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "host/pluginhost/gesturelog.h"
#include "host/product/parametercodes.h"
#include "pluginterfaces/base/funknownimpl.h"
#include "tests/support/vst3rig.h"
#include "vst3/panelview.h"

namespace {

using namespace Steinberg;

#if defined(_WIN32)
const FIDString kOwnPlatform = kPlatformTypeHWND;
const FIDString kOtherPlatform = kPlatformTypeX11EmbedWindowID;
#else
const FIDString kOwnPlatform = kPlatformTypeX11EmbedWindowID;
const FIDString kOtherPlatform = kPlatformTypeHWND;
#endif

// A frame without a run loop.
struct PlainFrame final : U::ImplementsNonDestroyable<U::Directly<IPlugFrame>> {
    tresult PLUGIN_API resizeView(IPlugView*, ViewRect*) override { return kResultFalse; }
};

struct Vst3View : ::testing::Test {
    Vst3Rig rig;
    IPtr<IPlugView> view = owned(rig.controller->createView(Vst::ViewType::kEditor));

    std::size_t index(const char* code) const { return *rig.product->description.find(code); }
    double normalised(const char* code, double plain) const
    {
        return rig.product->scales[index(code)].toNormalised(plain);
    }
};

TEST_F(Vst3View, IsMadeForTheEditorOnlyAndOneAtATime)
{
    ASSERT_TRUE(view);
    EXPECT_EQ(rig.controller->createView(Vst::ViewType::kEditor), nullptr);
    EXPECT_EQ(rig.controller->createView("other"), nullptr);
    EXPECT_EQ(rig.controller->createView(nullptr), nullptr);
    view = nullptr; // released: the controller may make another
    view = owned(rig.controller->createView(Vst::ViewType::kEditor));
    EXPECT_TRUE(view);
    // Another controller has its own.
    Vst3Rig other;
    IPtr<IPlugView> second = owned(other.controller->createView(Vst::ViewType::kEditor));
    EXPECT_TRUE(second);
}

TEST_F(Vst3View, AnswersItsPlatformAndSizes)
{
    EXPECT_EQ(view->isPlatformTypeSupported(kOwnPlatform), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(kOtherPlatform), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeNSView), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
    EXPECT_EQ(view->canResize(), kResultTrue);

    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), static_cast<int32>(Editor::defaultSize().width));
    EXPECT_EQ(size.getHeight(), static_cast<int32>(Editor::defaultSize().height));
    EXPECT_EQ(view->getSize(nullptr), kInvalidArgument);
    EXPECT_EQ(view->checkSizeConstraint(nullptr), kInvalidArgument);
    EXPECT_EQ(view->onSize(nullptr), kInvalidArgument);

    // Any rectangle comes back as the size the panel takes, at its place.
    const int32 wishes[][2] = {{0, 0}, {-5, -5}, {100000, 100000}, {640, 480}, {300, 900}};
    for (const auto& wish : wishes) {
        ViewRect wanted(10, 20, 10 + wish[0], 20 + wish[1]);
        ASSERT_EQ(view->checkSizeConstraint(&wanted), kResultTrue);
        const EditorSize expected =
            Editor::constrain({static_cast<std::uint32_t>(std::max(wish[0], 0)),
                               static_cast<std::uint32_t>(std::max(wish[1], 0))});
        EXPECT_EQ(wanted.left, 10);
        EXPECT_EQ(wanted.top, 20);
        EXPECT_EQ(wanted.getWidth(), static_cast<int32>(expected.width));
        EXPECT_EQ(wanted.getHeight(), static_cast<int32>(expected.height));
    }
    ViewRect taken(0, 0, 100000, 100000);
    ASSERT_EQ(view->onSize(&taken), kResultTrue);
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), static_cast<int32>(Editor::maximumSize().width));
}

TEST_F(Vst3View, RefusesToAttachWithoutAParentAPlatformOrARunLoop)
{
    int window = 0; // never reached: each attach is refused first
    EXPECT_EQ(view->attached(nullptr, kOwnPlatform), kResultFalse);
    EXPECT_EQ(view->attached(&window, kOtherPlatform), kResultFalse);
    EXPECT_EQ(view->attached(&window, nullptr), kResultFalse);
#if !defined(_WIN32)
    EXPECT_EQ(view->attached(&window, kOwnPlatform), kResultFalse); // no frame
    PlainFrame frame;
    ASSERT_EQ(view->setFrame(&frame), kResultTrue);
    EXPECT_EQ(view->attached(&window, kOwnPlatform), kResultFalse); // no run loop
    view->setFrame(nullptr);
#endif
    EXPECT_EQ(view->removed(), kResultOk);
}

TEST_F(Vst3View, CarriesTheEditorsGesturesAsEdits)
{
    // The host's side of the edits, in order, their values plain.
    std::ostringstream edits;
    GestureLog log(edits);
    rig.handler.logGestures(&log, rig.controller);
    EditorHost& editor = static_cast<PanelView*>(view.get())->gestures();
    const Vst::ParamID feedback = FourCharacterCode(kFeedback);
    const Vst::ParamID time = FourCharacterCode(kDelayTime);
    const double top = rig.product->description.parameters[index(kDelayTime)].maxValue;

    editor.beginGesture(index(kFeedback));
    editor.changeValue(index(kFeedback), 3.0);
    editor.beginGesture(index(kDelayTime));
    editor.changeValue(index(kDelayTime), 1e9); // at the nearer end
    editor.changeValue(index(kFeedback), std::nan(""));
    editor.endGesture(index(kFeedback));
    editor.endGesture(index(kDelayTime));
    editor.tapButton(true);
    editor.tapButton(false);
    // Not the editor's to set: the display values, indices past the
    // parameters, and changes outside a gesture.
    editor.beginGesture(index(kShownSessionTempo));
    editor.changeValue(index(kShownSessionTempo), 100.0);
    editor.beginGesture(rig.product->description.parameters.size());
    editor.changeValue(index(kBlend), 2.0);

    EXPECT_EQ(edits.str(),
              "begin fbak\nvalue fbak 3\nbegin time\nvalue time 2\nend fbak\nend time\n"
              "begin tapb\nvalue tapb 1\nend tapb\nbegin tapb\nvalue tapb 0\nend tapb\n");
    // The controller holds what it told the host.
    EXPECT_EQ(rig.controller->getParamNormalized(feedback), normalised(kFeedback, 3.0));
    EXPECT_EQ(rig.controller->getParamNormalized(time), normalised(kDelayTime, top));

    // A gesture the view's closing interrupts still ends.
    edits.str("");
    editor.beginGesture(index(kBlend));
    view->removed();
    EXPECT_EQ(edits.str(), "begin blnd\nend blnd\n");
    rig.handler.logGestures(nullptr, nullptr);
}

} // namespace
