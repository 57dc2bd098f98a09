// Where the panel's controls are at any window size, and the sizes the
// editor takes.
#include <gtest/gtest.h>

#include "editor/editor.h"
#include "editor/panellayout.h"

namespace {

const PanelLayout layout{3, 3};

// The centre of a rectangle in window pixels at a scale.
std::pair<float, float> centre(const Rect& r, float scale)
{
    return {(r.x + r.w / 2.0f) * scale, (r.y + r.h / 2.0f) * scale};
}

TEST(PanelLayout, HitTestingFindsTheSameControlPartsAtEveryScale)
{
    for (const float scale : {1.0f, 2.0f, 0.75f}) {
        SCOPED_TRACE(scale);
        const auto hit = [&](const Rect& r) {
            const auto [x, y] = centre(r, scale);
            return layout.hitTest(x, y, scale);
        };
        const DialGeometry feedback = PanelLayout::dial(Control::feedback);
        Hit h = hit({feedback.centerX - 1.0f, feedback.centerY - 1.0f, 2.0f, 2.0f});
        EXPECT_EQ(h.control, Control::feedback);
        EXPECT_EQ(h.part, Part::knob);
        h = hit(feedback.value);
        EXPECT_EQ(h.control, Control::feedback);
        EXPECT_EQ(h.part, Part::valueText);
        EXPECT_EQ(hit(PanelLayout::dial(Control::blend).label).control, Control::blend);

        for (std::size_t i = 0; i < 3; ++i) {
            h = hit(layout.segment(Control::mode, i));
            EXPECT_EQ(h.control, Control::mode);
            EXPECT_EQ(h.part, static_cast<int>(i));
        }
        h = hit(PanelLayout::caption(Control::tone));
        EXPECT_EQ(h.control, Control::tone);
        EXPECT_EQ(h.part, -1);

        for (const Control selector :
             {Control::noteValue, Control::dottedTriplet, Control::presets}) {
            EXPECT_EQ(hit(PanelLayout::arrow(selector, Part::stepDown)).part, Part::stepDown);
            EXPECT_EQ(hit(PanelLayout::arrow(selector, Part::stepUp)).part, Part::stepUp);
            h = hit(PanelLayout::selectorLabel(selector));
            EXPECT_EQ(h.control, selector);
            EXPECT_EQ(h.part, Part::label);
        }
        EXPECT_EQ(hit(PanelLayout::bounds(Control::tap)).control, Control::tap);
        EXPECT_EQ(hit(PanelLayout::face(Control::tempoLock)).control, Control::tempoLock);
        EXPECT_EQ(hit(PanelLayout::bounds(Control::bypass)).control, Control::bypass);
        // Bare panel, and points outside it.
        EXPECT_EQ(layout.hitTest(2.0f * scale, 2.0f * scale, scale).control, Control::none);
        EXPECT_EQ(layout.hitTest(-5.0f, 10.0f, scale).control, Control::none);
        EXPECT_EQ(layout.hitTest(kPanelWidth * scale + 1.0f, 10.0f, scale).control, Control::none);
    }
    EXPECT_EQ(layout.hitTest(100.0f, 100.0f, 0.0f).control, Control::none);
}

TEST(PanelLayout, NoTwoControlsOverlapAndAllLieOnThePanel)
{
    for (std::size_t i = 1; i < kControlCount; ++i) {
        const Rect a = PanelLayout::bounds(static_cast<Control>(i));
        EXPECT_GT(a.w, 0.0f);
        EXPECT_TRUE(a.x >= 0.0f && a.y >= 0.0f && a.x + a.w <= kPanelWidth &&
                    a.y + a.h <= kPanelHeight)
            << i;
        for (std::size_t j = i + 1; j < kControlCount; ++j) {
            const Rect b = PanelLayout::bounds(static_cast<Control>(j));
            EXPECT_FALSE(a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h)
                << i << " overlaps " << j;
        }
    }
}

TEST(EditorSize, ConstrainKeepsThePanelsAspectWithinItsLimits)
{
    const EditorSize standard = Editor::defaultSize();
    EXPECT_EQ(standard.width, static_cast<std::uint32_t>(kPanelWidth));
    EXPECT_EQ(standard.height, static_cast<std::uint32_t>(kPanelHeight));
    const auto aspectKept = [&](EditorSize s) {
        return static_cast<std::uint64_t>(s.width) * standard.height ==
               static_cast<std::uint64_t>(s.height) * standard.width;
    };
    for (const EditorSize wanted :
         {EditorSize{0, 0}, EditorSize{100, 5000}, EditorSize{1000, 300}, EditorSize{1000, 1000},
          EditorSize{1141, 451}, EditorSize{100000, 100000}, EditorSize{4294967295u, 7}}) {
        const EditorSize got = Editor::constrain(wanted);
        SCOPED_TRACE(std::to_string(wanted.width) + "x" + std::to_string(wanted.height));
        EXPECT_TRUE(aspectKept(got));
        EXPECT_GE(got.width, Editor::minimumSize().width);
        EXPECT_LE(got.width, Editor::maximumSize().width);
        // A size it gave stays as it is when asked again.
        const EditorSize again = Editor::constrain(got);
        EXPECT_TRUE(again.width == got.width && again.height == got.height);
        // It fits the size wanted whenever the minimum does.
        if (wanted.width >= Editor::minimumSize().width &&
            wanted.height >= Editor::minimumSize().height) {
            EXPECT_LE(got.width, wanted.width);
            EXPECT_LE(got.height, wanted.height);
        }
    }
    EXPECT_EQ(Editor::constrain({1000, 300}).width, 760u);
    EXPECT_EQ(Editor::constrain({1141, 451}).width, 1140u);
    EXPECT_EQ(Editor::constrain({100000, 100000}).width, Editor::maximumSize().width);
    EXPECT_EQ(Editor::constrain({0, 0}).width, Editor::minimumSize().width);
    EXPECT_TRUE(aspectKept(Editor::minimumSize()) && aspectKept(Editor::maximumSize()));
    EXPECT_EQ(Editor::constrain(standard).width, standard.width);
}

} // namespace
