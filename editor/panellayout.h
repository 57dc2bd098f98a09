// Where every control of the panel sits, in panel units: the panel is
// kPanelWidth by kPanelHeight units and the window scales it evenly. Hit
// testing turns a point of the window into the control (and the part of
// it) under it.
#pragma once

#include <cstddef>

enum class Control {
    none,
    delayTime,
    feedback,
    input,
    output,
    blend,
    tone,
    mode,
    noteValue,
    dottedTriplet,
    tempoLock,
    bypass,
    tap,
    presets,
    display,
    meters,
};
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::meters) + 1;

inline constexpr float kPanelWidth = 760.0f;
inline constexpr float kPanelHeight = 300.0f;

struct Rect {
    float x = 0.0f;
    float y = 0.0f;
    float w = 0.0f;
    float h = 0.0f;

    bool contains(float px, float py) const
    {
        return px >= x && px < x + w && py >= y && py < y + h;
    }
};

// The dials' parts: the knob (with its name above) and the value text below.
struct DialGeometry {
    Rect label;
    float centerX = 0.0f;
    float centerY = 0.0f;
    float radius = 0.0f;
    Rect value;
    Rect detail; // a second line under the value: what the time dial follows
};

// Which part of a control a point is on: a dial's knob or value text; a
// segmented switch's segment (0, 1, ...; -1 for its caption); a selector's
// step arrows or its label.
struct Part {
    static constexpr int knob = 0;
    static constexpr int valueText = 1;
    static constexpr int label = 0;
    static constexpr int stepDown = -1;
    static constexpr int stepUp = 1;
};

struct Hit {
    Control control = Control::none;
    int part = 0;
};

bool IsDial(Control control);
// A segmented switch: one segment per option.
bool IsSegmented(Control control);
// A selector: a label between two step arrows.
bool IsSelector(Control control);

class PanelLayout {
public:
    // The segmented switches' option counts (Tone, Mode), at least 1 each.
    PanelLayout(std::size_t toneOptions, std::size_t modeOptions);

    // A control's whole area, its caption included: what to redraw when it
    // changes.
    static Rect bounds(Control control);
    static DialGeometry dial(Control control);
    // A control's caption above it (switches, selectors, meters).
    static Rect caption(Control control);
    // The face a switch, selector or button draws into (below its caption).
    static Rect face(Control control);
    // A selector's arrows and the label between them.
    static Rect arrow(Control control, int direction);
    static Rect selectorLabel(Control control);
    // One segment of a segmented switch.
    Rect segment(Control control, std::size_t index) const;
    std::size_t segments(Control control) const;

    // The control under a point of a window that shows the panel at scale
    // (window pixels per panel unit, > 0).
    Hit hitTest(float x, float y, float scale) const;

private:
    std::size_t toneOptions;
    std::size_t modeOptions;
};
