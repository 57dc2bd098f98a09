// What the panel's model shows for the host's values, and the presets it
// applies: the values by the built library's own parameters.
#include "editor/dialscale.h"
#include "editortest.h"

namespace {

using PanelModelTest = PanelTest;

TEST_F(PanelModelTest, HostValuesAreTakenWithinRangeAndBadOnesIgnored)
{
    const std::size_t output = index("oput");
    model.takeChanged();
    EXPECT_TRUE(model.setValue(output, 7.26));
    EXPECT_EQ(model.dial(Control::output).value, "7.3");
    EXPECT_TRUE(model.takeChanged().test(static_cast<std::size_t>(Control::output)));
    EXPECT_FALSE(model.setValue(output, 7.26)); // no change, nothing to redraw
    EXPECT_TRUE(model.takeChanged().none());

    EXPECT_TRUE(model.setValue(output, 40.0));
    EXPECT_DOUBLE_EQ(model.value(output), 9.0);
    EXPECT_DOUBLE_EQ(model.dial(Control::output).position, 1.0);
    EXPECT_FALSE(model.setValue(output, std::nan("")));
    EXPECT_FALSE(model.setValue(product.description.parameters.size(), 1.0));
    EXPECT_FALSE(model.setValue(static_cast<std::size_t>(-1), 1.0));
    EXPECT_DOUBLE_EQ(model.value(output), 9.0);
    EXPECT_TRUE(host.events.empty()); // the host's values are never sent back

    // Bypass dims the whole panel: every control is redrawn when it moves.
    EXPECT_FALSE(model.bypassed());
    EXPECT_TRUE(model.setValue(index("bypa"), 1.0));
    EXPECT_TRUE(model.bypassed());
    EXPECT_EQ(model.takeChanged().count(), kControlCount - 1); // all but none
    EXPECT_TRUE(model.setValue(index("bypa"), 0.0));
    EXPECT_FALSE(model.bypassed());
    EXPECT_EQ(model.takeChanged().count(), kControlCount - 1); // all but none

    // A list value between options shows the option below it.
    EXPECT_TRUE(model.setValue(index("mode"), 1.7));
    EXPECT_EQ(model.switchFace(Control::mode).selected, 1u);
    EXPECT_EQ(model.switchFace(Control::mode).options,
              (std::vector<std::string>{"Vintage", "Retro", "Modern"}));
}

TEST_F(PanelModelTest, TheTimeDialFollowsANoteWithTheTempoAndTheDelayInEffect)
{
    const std::size_t note = index("nval");
    const std::size_t delay = index("uiDT");
    EXPECT_TRUE(model.dial(Control::delayTime).note.empty());

    model.setValue(note, 3.0);          // 8th
    model.setValue(index("dot3"), 1.0); // Dotted
    model.setValue(index(".bpm"), 100.0);
    model.setValue(delay, 0.45);
    DialFace face = model.dial(Control::delayTime);
    EXPECT_EQ(face.note, "8th Dotted");
    EXPECT_EQ(face.tempo, "100 BPM");
    EXPECT_EQ(face.value, "450 ms");
    EXPECT_DOUBLE_EQ(face.position, DialPosition(parameter("time"), 0.45));
    EXPECT_EQ(model.display().delay, "450 ms");
    EXPECT_EQ(model.display().follows, "8th Dotted @ 100 BPM");

    // With Tempo Lock it is the session's tempo it follows.
    model.setValue(index("tlok"), 1.0);
    model.setValue(index("sBPM"), 92.5);
    EXPECT_EQ(model.dial(Control::delayTime).tempo, "92.5 BPM");
    EXPECT_EQ(model.display().session, "Session 92.5 BPM");

    // Dragging the dial now steps through the notes, never back to none.
    heard();
    dragDial(Control::delayTime, PanelModel::kNoteStepPixels * 2.5);
    std::vector<RecordingHost::Event> events = heard();
    ASSERT_FALSE(events.empty());
    for (const RecordingHost::Event& e : events)
        EXPECT_EQ(e.index, note);
    EXPECT_DOUBLE_EQ(model.value(note), 5.0);
    dragDial(Control::delayTime, -1000.0);
    EXPECT_DOUBLE_EQ(model.value(note), 1.0);
    heard();
    model.wheel({Control::delayTime, Part::knob}, -1.0, false);
    EXPECT_TRUE(heard().empty());
    model.wheel({Control::delayTime, Part::knob}, 1.0, false);
    EXPECT_EQ(heard(), gesture(note, 2.0));

    // Typing on it names a note.
    click(Control::delayTime, Part::valueText);
    model.type("quarter");
    model.key(EditKey::enter, clock);
    EXPECT_EQ(model.dial(Control::delayTime).note, "Quarter Dotted");

    // Without Tempo Lock and without a note it is Delay Time again.
    model.setValue(index("tlok"), 0.0);
    model.setValue(note, 0.0);
    face = model.dial(Control::delayTime);
    EXPECT_TRUE(face.note.empty());
    EXPECT_EQ(face.value, "500 ms");
    EXPECT_TRUE(model.display().follows.empty());
}

TEST_F(PanelModelTest, APresetIsOneGesturePerParameterItSets)
{
    ASSERT_GE(product.presets.size(), 2u);
    model.press({Control::presets, Part::stepUp}, 0.0, clock);
    const PresetChanges& first = product.presets.front();
    std::vector<RecordingHost::Event> expected;
    for (const auto& [at, value] : first.changes) {
        const std::vector<RecordingHost::Event> one = gesture(at, value);
        expected.insert(expected.end(), one.begin(), one.end());
    }
    EXPECT_EQ(heard(), expected);
    EXPECT_EQ(model.switchFace(Control::presets).text, first.label);
    for (const auto& [at, value] : first.changes)
        EXPECT_DOUBLE_EQ(model.value(at), value) << product.description.parameters[at].code;

    // Back from the first is the last; the wheel steps the same way.
    model.press({Control::presets, Part::stepDown}, 0.0, clock + 1.0);
    EXPECT_EQ(model.switchFace(Control::presets).text, product.presets.back().label);
    model.wheel({Control::presets, Part::label}, 1.0, false);
    EXPECT_EQ(model.switchFace(Control::presets).text, first.label);
}

TEST_F(PanelModelTest, FacesNameEveryControlAndTheFocusedDial)
{
    for (const Control dial :
         {Control::delayTime, Control::feedback, Control::input, Control::output, Control::blend})
        EXPECT_FALSE(model.dial(dial).names.empty());
    EXPECT_EQ(model.dial(Control::feedback).names.front(), "Feedback");
    EXPECT_EQ(model.switchFace(Control::tempoLock).names, parameter("tlok").labels);
    EXPECT_EQ(model.switchFace(Control::noteValue).text, "-");
    EXPECT_EQ(model.switchFace(Control::presets).text, "Presets");

    click(Control::blend);
    EXPECT_TRUE(heard().empty()); // a click that moves nothing is no gesture
    EXPECT_TRUE(model.dial(Control::blend).focused);
    click(Control::input);
    EXPECT_FALSE(model.dial(Control::blend).focused);
    EXPECT_TRUE(model.dial(Control::input).focused);
}

} // namespace
