// The user's input on the panel's model: every change reaches the host as a
// gesture (begin, change..., end), by the parameter's host index.
#include <cmath>

#include "editor/dialscale.h"
#include "editortest.h"

namespace {

using PanelInput = PanelTest;

TEST_F(PanelInput, DragsMoveADialItsFullRangeIn200PixelsAndTenTimesFinerWithShift)
{
    const std::size_t feedback = index("fbak");
    dragDial(Control::feedback, 100.0); // from 1 by half of 1 to 9
    std::vector<RecordingHost::Event> events = heard();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), (RecordingHost::Event{'b', feedback, 0.0}));
    EXPECT_EQ(events.back(), (RecordingHost::Event{'e', feedback, 0.0}));
    EXPECT_DOUBLE_EQ(events[events.size() - 2].value, 5.0);
    EXPECT_DOUBLE_EQ(model.value(feedback), 5.0);
    EXPECT_EQ(model.dial(Control::feedback).value, "5.0");

    dragDial(Control::feedback, 100.0, true);
    EXPECT_DOUBLE_EQ(model.value(feedback), 5.4);

    // Past either end the value stops there, and turning back moves it at once.
    press(Control::feedback);
    model.drag(500.0 - 1000.0, false);
    EXPECT_DOUBLE_EQ(model.value(feedback), 9.0);
    model.drag(500.0 - 1000.0 + 50.0, false);
    EXPECT_DOUBLE_EQ(model.value(feedback), 7.0);

    // A press without the release before it ends the gesture first.
    heard();
    press(Control::mode, 0);
    EXPECT_EQ(heard(), (std::vector<RecordingHost::Event>{{'e', feedback, 0.0},
                                                          {'b', index("mode"), 0.0},
                                                          {'c', index("mode"), 0.0},
                                                          {'e', index("mode"), 0.0}}));
    model.drag(0.0, false);
    EXPECT_TRUE(heard().empty());
}

TEST_F(PanelInput, TheDelayTimeDialIsLogarithmic)
{
    const std::size_t time = index("time");
    const ParameterInfo& p = parameter("time");
    model.setValue(time, p.minValue);
    dragDial(Control::delayTime, 100.0);
    // Halfway along the dial is the geometric mean of its ends.
    EXPECT_NEAR(model.value(time), std::sqrt(p.minValue * p.maxValue), 1e-12);
    EXPECT_NEAR(DialPosition(p, 0.1), 0.5, 1e-12);
    EXPECT_DOUBLE_EQ(DialValue(p, DialPosition(p, 0.3)), 0.3);
    EXPECT_EQ(model.dial(Control::delayTime).value, "100 ms");
}

TEST_F(PanelInput, WheelNotchesStepDialsListsAndToggles)
{
    const std::size_t feedback = index("fbak");
    model.wheel({Control::feedback, Part::knob}, 1.0, false);
    EXPECT_EQ(heard(), gesture(feedback, 1.1));
    model.wheel({Control::feedback, Part::knob}, -1.0, true);
    EXPECT_EQ(heard(), gesture(feedback, 1.09));

    const std::size_t tone = index("tone");
    model.wheel({Control::tone, 0}, 1.0, false);
    model.wheel({Control::tone, 0}, 1.0, false);
    EXPECT_EQ(model.switchFace(Control::tone).selected, 2u);
    heard();
    model.wheel({Control::tone, 0}, 1.0, false); // already the last option
    EXPECT_TRUE(heard().empty());
    model.wheel({Control::tone, 0}, -1.0, false);
    EXPECT_EQ(heard(), gesture(tone, 1.0));

    const std::size_t dotted = index("dot3");
    model.wheel({Control::dottedTriplet, Part::label}, 1.0, false);
    EXPECT_EQ(heard(), gesture(dotted, 1.0));

    const std::size_t lock = index("tlok");
    model.wheel({Control::tempoLock, 0}, 1.0, false);
    EXPECT_EQ(heard(), gesture(lock, 1.0));
    model.wheel({Control::tempoLock, 0}, 1.0, false);
    EXPECT_TRUE(heard().empty());

    model.wheel({Control::display, 0}, 1.0, false);
    model.wheel({Control::feedback, Part::knob}, std::nan(""), false);
    EXPECT_TRUE(heard().empty());
}

TEST_F(PanelInput, ClicksSelectSegmentsStepSelectorsAndFlipToggles)
{
    const std::size_t mode = index("mode");
    click(Control::mode, 2);
    EXPECT_EQ(heard(), gesture(mode, 2.0));
    click(Control::mode, 2);  // already chosen
    click(Control::mode, -1); // its caption
    EXPECT_TRUE(heard().empty());

    const std::size_t note = index("nval");
    click(Control::noteValue, Part::stepDown); // at "-" already
    EXPECT_TRUE(heard().empty());
    click(Control::noteValue, Part::stepUp);
    EXPECT_EQ(heard(), gesture(note, 1.0));
    // The label steps on and wraps round from the last option.
    const double last = static_cast<double>(parameter("nval").options.size() - 1);
    model.setValue(note, last);
    click(Control::noteValue, Part::label);
    EXPECT_EQ(heard(), gesture(note, 0.0));

    const std::size_t bypass = *product.description.find(kHostBypassCode);
    click(Control::bypass);
    EXPECT_EQ(heard(), gesture(bypass, 1.0));
    EXPECT_TRUE(model.switchFace(Control::bypass).on);
    click(Control::bypass);
    EXPECT_EQ(heard(), gesture(bypass, 0.0));
}

TEST_F(PanelInput, ADoubleClickResetsADialToItsDefault)
{
    const std::size_t input = index("inpt");
    model.setValue(input, 8.0);
    clock += 1.0;
    model.press({Control::input, Part::knob}, 500.0, clock);
    model.release();
    model.press({Control::input, Part::knob}, 500.0, clock + 0.3);
    model.release();
    std::vector<RecordingHost::Event> events = heard();
    const std::vector<RecordingHost::Event> reset = gesture(input, parameter("inpt").defaultValue);
    ASSERT_GE(events.size(), reset.size());
    EXPECT_TRUE(std::equal(reset.begin(), reset.end(), events.end() - 3));
    EXPECT_DOUBLE_EQ(model.value(input), 5.0);

    // Slower clicks, or clicks on two dials, are not a double-click.
    model.setValue(input, 8.0);
    for (const auto& [control, at] : {std::pair{Control::input, 5.0},
                                      {Control::input, 5.5},
                                      {Control::output, 10.0},
                                      {Control::input, 10.1}}) {
        model.press({control, Part::knob}, 500.0, clock + at);
        model.release();
    }
    EXPECT_DOUBLE_EQ(model.value(input), 8.0);
}

TEST_F(PanelInput, TypedValuesAreParsedWithUnitsAndWordsAndBadTextChangesNothing)
{
    const std::size_t time = index("time");
    click(Control::delayTime, Part::valueText);
    EXPECT_TRUE(model.typing());
    EXPECT_EQ(model.dial(Control::delayTime).value, "500 ms"); // opens with the value
    model.type("300 ms");
    EXPECT_TRUE(model.key(EditKey::enter, clock));
    EXPECT_EQ(heard(), gesture(time, 0.3));
    EXPECT_FALSE(model.typing());
    EXPECT_EQ(model.dial(Control::delayTime).value, "300 ms");

    // Enter on the focused dial opens the field too; "1.2" is seconds.
    EXPECT_TRUE(model.key(EditKey::enter, clock));
    model.type("1.2");
    model.key(EditKey::enter, clock);
    EXPECT_EQ(heard(), gesture(time, 1.2));

    // Out of range, or not a number: red for a moment, and no gesture.
    const std::size_t feedback = index("fbak");
    click(Control::feedback, Part::valueText);
    model.type("12");
    model.key(EditKey::enter, clock);
    EXPECT_TRUE(model.dial(Control::feedback).typingError);
    model.type("x"); // typing on clears the red
    EXPECT_FALSE(model.dial(Control::feedback).typingError);
    model.key(EditKey::enter, clock);
    EXPECT_TRUE(heard().empty());
    model.tick(clock + PanelModel::kErrorSeconds / 2.0);
    EXPECT_TRUE(model.typing());
    model.tick(clock + PanelModel::kErrorSeconds);
    EXPECT_FALSE(model.typing());
    EXPECT_EQ(model.dial(Control::feedback).value, "1.0");

    // Escape cancels; a click elsewhere does too.
    click(Control::feedback, Part::valueText);
    model.type("7");
    model.key(EditKey::escape, clock);
    click(Control::feedback, Part::valueText);
    model.type("7");
    click(Control::tone, -1);
    EXPECT_FALSE(model.typing());
    EXPECT_TRUE(heard().empty());
    EXPECT_DOUBLE_EQ(model.value(feedback), 1.0);

    // Up and Down step the focused dial as the wheel does.
    EXPECT_TRUE(model.key(EditKey::up, clock));
    EXPECT_EQ(heard(), gesture(feedback, 1.1));
    EXPECT_TRUE(model.key(EditKey::down, clock, true));
    EXPECT_EQ(heard(), gesture(feedback, 1.09));

    // Without a field open, typing and Escape do nothing; nor do keys
    // before any dial has the focus.
    model.type("5");
    EXPECT_FALSE(model.key(EditKey::escape, clock));
    EXPECT_TRUE(heard().empty());
    PanelModel fresh{product, host};
    EXPECT_FALSE(fresh.key(EditKey::enter, clock));
    EXPECT_FALSE(fresh.key(EditKey::up, clock));
}

TEST_F(PanelInput, TheHostsValueWaitsWhileTheUserDragsThatDial)
{
    const std::size_t feedback = index("fbak");
    press(Control::feedback);
    model.drag(400.0, false); // 1 + 0.5 * 8 = 5
    EXPECT_FALSE(model.setValue(feedback, 2.0));
    EXPECT_DOUBLE_EQ(model.value(feedback), 5.0);
    EXPECT_TRUE(model.setValue(index("blnd"), 7.0)); // other dials still follow
    model.drag(375.0, false);
    EXPECT_DOUBLE_EQ(model.value(feedback), 6.0);
    model.release();
    EXPECT_TRUE(model.setValue(feedback, 2.0));
    EXPECT_EQ(model.dial(Control::feedback).value, "2.0");
}

TEST_F(PanelInput, TheTapButtonPressesAndReleasesAndBlinksOnTheBeat)
{
    press(Control::tap);
    EXPECT_TRUE(model.switchFace(Control::tap).on);
    model.drag(0.0, false); // a drag off the button changes nothing
    model.release();
    model.release();
    EXPECT_EQ(heard(), (std::vector<RecordingHost::Event>{{'t', 0, 1.0}, {'t', 0, 0.0}}));

    // 120 BPM: a flash at each half second from the tap.
    model.setValue(index(".bpm"), 120.0);
    EXPECT_TRUE(model.tapLit(clock + 0.51));
    EXPECT_FALSE(model.tapLit(clock + 0.75));
    EXPECT_TRUE(model.tapLit(clock + 10.02));
    // With Tempo Lock it follows the session's tempo instead.
    model.setValue(index("tlok"), 1.0);
    model.setValue(index("sBPM"), 60.0);
    EXPECT_FALSE(model.tapLit(clock + 0.51));
    EXPECT_TRUE(model.tapLit(clock + 1.01));
}

} // namespace
