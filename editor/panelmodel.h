// The panel without its window: the parameters' values as the host last
// gave them, what each control shows, and the gestures a user's clicks,
// drags, wheel steps and typing make. Times are seconds on any steady
// clock, pointer positions window pixels; nothing here draws.
#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editorhost.h"
#include "host/effect/productlibrary.h"
#include "panellayout.h"
#include "textentry.h"

// What a dial shows.
struct DialFace {
    std::vector<std::string> names; // its labels, longest first
    std::string value;              // the value, or the text being typed
    double position = 0.0;          // along its arc, 0 to 1
    // The time dial following a note: the note and the tempo; else empty.
    std::string note;
    std::string tempo;
    bool focused = false;
    bool typing = false;
    bool typingError = false; // the typed text was refused
};

// What a switch, a selector or a button shows.
struct SwitchFace {
    std::vector<std::string> names;   // the caption's labels, longest first
    std::vector<std::string> options; // a segmented switch's segments
    std::size_t selected = 0;         // the option chosen
    std::string text;                 // a selector's choice
    bool on = false;                  // a toggle on; the Tap button held
};

// What the display shows.
struct DisplayFace {
    std::string delay;   // the delay in effect: "375 ms", "1.20 s"
    std::string follows; // "8th Dotted @ 120 BPM" when it follows a note
    std::string session; // "Session 120 BPM"
};

// Keys for the inline field; Up and Down step the focused dial as a wheel
// notch does.
enum class EditKey { enter, escape, backspace, up, down };

class PanelModel {
public:
    static constexpr double kDragPixels = 200.0;     // a dial's full range
    static constexpr double kFineFactor = 0.1;       // with Shift
    static constexpr double kWheelStep = 1.0 / 80.0; // a dial's wheel notch
    static constexpr double kNoteStepPixels = 24.0;  // the time dial on notes
    static constexpr double kDoubleClickSeconds = 0.4;
    static constexpr double kErrorSeconds = 1.5;

    // [ui] allocates; throws std::runtime_error naming a control whose
    // parameter the product lacks (or has of the wrong kind).
    PanelModel(const ProductLibrary& product, EditorHost& host);

    // The host's value for a parameter, by host index: an index it does not
    // have or a value that is not a number is ignored, one outside the
    // range taken at the nearer end; the parameter a user is dragging keeps
    // the user's value. Returns whether anything shown changed.
    bool setValue(std::size_t index, double value);
    double value(std::size_t index) const;

    // The user: a button pressed on what is under the pointer (at height
    // y), the pointer moved with the button held, the button released;
    // wheel notches (positive up); typed text and editing keys for the
    // inline field.
    void press(Hit hit, double y, double now);
    void drag(double y, bool shift);
    void release();
    void wheel(Hit hit, double notches, bool shift);
    void type(std::string_view text);
    // Returns whether the key was used.
    bool key(EditKey key, double now, bool shift = false);
    // Ends what has run its time (the refused text's red); the window calls
    // it from its timer.
    void tick(double now);

    DialFace dial(Control control) const;
    SwitchFace switchFace(Control control) const;
    DisplayFace display() const;
    const std::string& productName() const;
    // The tempo the Tap button blinks at: the session's with Tempo Lock on,
    // else BPM.
    double tapTempo() const;
    // Whether the Tap button's lamp is lit at now: a short flash on each
    // beat of that tempo, counted from the last tap.
    bool tapLit(double now) const;
    bool typing() const { return editing != Control::none; }
    // Whether the host bypasses the effect: the panel is shown dimmed, all
    // but the Bypass switch.
    bool bypassed() const { return isOn(at.bypass); }

    // The controls changed since the last call.
    std::bitset<kControlCount> takeChanged();

private:
    struct Indices {
        std::size_t time, feedback, input, output, blend, tone, mode, note, dottedTriplet,
            tempoLock, bypass, bpm, sessionTempo, tempoDelay;
    };

    const ParameterInfo& parameter(std::size_t index) const;
    std::optional<std::size_t> parameterOf(Control control) const;
    bool followsNote() const;
    std::size_t option(std::size_t index) const;
    bool isOn(std::size_t index) const;
    // One gesture with one change.
    void set(std::size_t index, double value);
    void stepOption(std::size_t index, int steps, bool wrap);
    void choosePreset(int steps);
    void startTyping(Control control);
    void commitTyping(double now);
    void stopTyping();
    void changed(std::size_t index);
    void changed(Control control) { dirty.set(static_cast<std::size_t>(control)); }

    const ProductLibrary& product;
    EditorHost& host;
    Indices at{};
    std::vector<double> values;
    std::bitset<kControlCount> dirty;

    // A drag on a dial: the parameter in its gesture and where it stands.
    Control dragging = Control::none;
    std::size_t dragIndex = 0;
    bool dragGesture = false; // begun with the drag's first change
    double dragY = 0.0;
    double dragPosition = 0.0; // along the dial, or note steps moved
    std::size_t dragStartOption = 0;
    bool tapHeld = false;
    double tapOrigin = 0.0;

    Control lastPress = Control::none;
    double lastPressTime = -1.0;
    Control focus = Control::none;
    Control editing = Control::none;
    TextEntry entry;
    std::optional<double> errorUntil;
    std::optional<std::size_t> preset;
};
