#include "panelpainter.h"

#include <nanovg.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kArcStart = 0.75f * kPi; // the dials' sweep: lower left round to lower right
constexpr float kArcSweep = 1.5f * kPi;

NVGcolor rgb(int r, int g, int b, int a = 255)
{
    return nvgRGBA(static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                   static_cast<unsigned char>(b), static_cast<unsigned char>(a));
}

const NVGcolor kCream = rgb(236, 226, 200);
const NVGcolor kCreamDim = rgb(176, 164, 140);
const NVGcolor kInk = rgb(40, 34, 28);
const NVGcolor kAmber = rgb(240, 168, 60);
const NVGcolor kRed = rgb(226, 70, 50);
const NVGcolor kWell = rgb(20, 18, 16);
const NVGcolor kEdge = rgb(92, 84, 72);

struct Painter {
    NVGcontext* vg;
    int font;

    void rect(const Rect& r, float radius, NVGcolor fill, NVGcolor stroke) const
    {
        nvgBeginPath(vg);
        nvgRoundedRect(vg, r.x, r.y, r.w, r.h, radius);
        nvgFillColor(vg, fill);
        nvgFill(vg);
        nvgStrokeColor(vg, stroke);
        nvgStrokeWidth(vg, 1.0f);
        nvgStroke(vg);
    }

    // Text centred in a box (or left-aligned from its left edge), smaller
    // where it would not fit the box's width.
    void text(const Rect& box, const std::string& words, float size, NVGcolor color,
              bool centred = true) const
    {
        if (font < 0 || words.empty())
            return;
        const float wide = width(words, size);
        const float room = box.w - 4.0f;
        nvgFontFaceId(vg, font);
        nvgFontSize(vg, wide > room && room > 0.0f ? size * room / wide : size);
        nvgFillColor(vg, color);
        nvgTextAlign(vg, (centred ? NVG_ALIGN_CENTER : NVG_ALIGN_LEFT) | NVG_ALIGN_MIDDLE);
        nvgText(vg, centred ? box.x + box.w / 2.0f : box.x, box.y + box.h / 2.0f, words.c_str(),
                nullptr);
    }

    float width(const std::string& words, float size) const
    {
        if (font < 0)
            return 0.0f;
        nvgFontFaceId(vg, font);
        nvgFontSize(vg, size);
        return nvgTextBounds(vg, 0.0f, 0.0f, words.c_str(), nullptr, nullptr);
    }

    // The longest of a control's labels that fits its width, in capitals.
    void caption(const Rect& box, const std::vector<std::string>& names, float size,
                 NVGcolor color) const
    {
        std::string chosen;
        for (const std::string& name : names) {
            std::string upper = name;
            for (char& c : upper)
                if (c >= 'a' && c <= 'z')
                    c = static_cast<char>(c - 'a' + 'A');
            chosen = upper;
            if (width(upper, size) <= box.w - 4.0f)
                break;
        }
        text(box, chosen, size, color);
    }

    void lamp(float x, float y, float radius, bool lit, NVGcolor color) const
    {
        if (lit) {
            nvgBeginPath(vg);
            nvgCircle(vg, x, y, radius * 2.2f);
            nvgFillPaint(vg, nvgRadialGradient(vg, x, y, radius, radius * 2.2f,
                                               nvgTransRGBA(color, 110), nvgTransRGBA(color, 0)));
            nvgFill(vg);
        }
        nvgBeginPath(vg);
        nvgCircle(vg, x, y, radius);
        nvgFillColor(vg, lit ? color : rgb(60, 52, 44));
        nvgFill(vg);
        nvgStrokeColor(vg, rgb(0, 0, 0, 140));
        nvgStrokeWidth(vg, 1.0f);
        nvgStroke(vg);
    }

    void triangle(const Rect& box, int direction, NVGcolor color) const
    {
        const float cx = box.x + box.w / 2.0f;
        const float cy = box.y + box.h / 2.0f;
        const float d = 5.0f * static_cast<float>(direction);
        nvgBeginPath(vg);
        nvgMoveTo(vg, cx + d, cy);
        nvgLineTo(vg, cx - d, cy - 5.0f);
        nvgLineTo(vg, cx - d, cy + 5.0f);
        nvgClosePath(vg);
        nvgFillColor(vg, color);
        nvgFill(vg);
    }

    // The panel's face under `area`: the gradient is set in panel units, so
    // any part of it is the same pixels as the whole.
    void background(const std::string& name, const Rect& area) const
    {
        // Past the area on every side: the scissor cuts it, so no pixel
        // inside gets the antialiased edge of a fill.
        nvgBeginPath(vg);
        nvgRect(vg, area.x - 2.0f, area.y - 2.0f, area.w + 4.0f, area.h + 4.0f);
        nvgFillPaint(vg, nvgLinearGradient(vg, 0.0f, 0.0f, 0.0f, kPanelHeight, rgb(52, 47, 41),
                                           rgb(29, 26, 23)));
        nvgFill(vg);
        // The name plate and a rule under it.
        nvgBeginPath(vg);
        nvgRect(vg, 0.0f, 0.0f, kPanelWidth, 42.0f);
        nvgFillColor(vg, rgb(24, 21, 18));
        nvgFill(vg);
        nvgBeginPath(vg);
        nvgMoveTo(vg, 0.0f, 42.5f);
        nvgLineTo(vg, kPanelWidth, 42.5f);
        nvgStrokeColor(vg, rgb(140, 112, 70));
        nvgStrokeWidth(vg, 1.0f);
        nvgStroke(vg);
        text({16.0f, 8.0f, 200.0f, 28.0f}, name, 17.0f, kCream, false);
        // The rule above the switch row.
        nvgBeginPath(vg);
        nvgMoveTo(vg, 12.0f, 214.5f);
        nvgLineTo(vg, kPanelWidth - 12.0f, 214.5f);
        nvgStrokeColor(vg, rgb(70, 63, 54));
        nvgStroke(vg);
    }

    void dial(const DialGeometry& g, const DialFace& face) const
    {
        caption(g.label, face.names, 12.0f, face.focused ? kAmber : kCream);
        const float cx = g.centerX;
        const float cy = g.centerY;
        const float r = g.radius;
        // The track and the arc up to the value.
        nvgBeginPath(vg);
        nvgArc(vg, cx, cy, r, kArcStart, kArcStart + kArcSweep, NVG_CW);
        nvgStrokeColor(vg, rgb(70, 63, 54));
        nvgStrokeWidth(vg, 4.0f);
        nvgLineCap(vg, NVG_ROUND);
        nvgStroke(vg);
        const float angle = kArcStart + kArcSweep * static_cast<float>(face.position);
        if (face.position > 0.0) {
            nvgBeginPath(vg);
            nvgArc(vg, cx, cy, r, kArcStart, angle, NVG_CW);
            nvgStrokeColor(vg, kAmber);
            nvgStroke(vg);
        }
        // The knob: a shadow, the cream cap, its pointer.
        const float knob = r - 8.0f;
        nvgBeginPath(vg);
        nvgCircle(vg, cx + 1.5f, cy + 2.5f, knob);
        nvgFillColor(vg, rgb(0, 0, 0, 90));
        nvgFill(vg);
        nvgBeginPath(vg);
        nvgCircle(vg, cx, cy, knob);
        nvgFillPaint(vg, nvgRadialGradient(vg, cx - knob * 0.3f, cy - knob * 0.4f, knob * 0.2f,
                                           knob * 1.2f, rgb(250, 243, 226), rgb(204, 190, 160)));
        nvgFill(vg);
        nvgStrokeColor(vg, rgb(120, 106, 82));
        nvgStrokeWidth(vg, 1.0f);
        nvgStroke(vg);
        nvgBeginPath(vg);
        nvgMoveTo(vg, cx + std::cos(angle) * knob * 0.25f, cy + std::sin(angle) * knob * 0.25f);
        nvgLineTo(vg, cx + std::cos(angle) * knob * 0.9f, cy + std::sin(angle) * knob * 0.9f);
        nvgStrokeColor(vg, kInk);
        nvgStrokeWidth(vg, 3.0f);
        nvgStroke(vg);

        if (face.typing) {
            rect(g.value, 3.0f, rgb(244, 238, 222), face.typingError ? kRed : kAmber);
            text(g.value, face.value, 13.0f, face.typingError ? kRed : kInk);
        } else {
            text(g.value, face.value, 13.0f, kCream);
        }
        if (!face.note.empty()) {
            text({g.detail.x, g.detail.y, g.detail.w, 14.0f}, face.note, 11.0f, kAmber);
            text({g.detail.x, g.detail.y + 14.0f, g.detail.w, 14.0f}, face.tempo, 11.0f, kCreamDim);
        }
    }

    void segmented(const PanelLayout& layout, Control control, const SwitchFace& face) const
    {
        caption(PanelLayout::caption(control), face.names, 11.0f, kCreamDim);
        rect(PanelLayout::face(control), 4.0f, kWell, kEdge);
        for (std::size_t i = 0; i < face.options.size(); ++i) {
            Rect box = layout.segment(control, i);
            const bool chosen = i == face.selected;
            if (chosen)
                rect({box.x + 2.0f, box.y + 2.0f, box.w - 4.0f, box.h - 4.0f}, 3.0f, kCream,
                     rgb(255, 250, 235));
            text(box, face.options[i], 12.0f, chosen ? kInk : kCreamDim);
        }
    }

    void selector(Control control, const SwitchFace& face) const
    {
        if (control != Control::presets)
            caption(PanelLayout::caption(control), face.names, 11.0f, kCreamDim);
        rect(PanelLayout::face(control), 4.0f, kWell, kEdge);
        triangle(PanelLayout::arrow(control, Part::stepDown), -1, kCreamDim);
        triangle(PanelLayout::arrow(control, Part::stepUp), 1, kCreamDim);
        text(PanelLayout::selectorLabel(control), face.text, 13.0f, kCream);
    }

    void toggle(Control control, const SwitchFace& face, NVGcolor color,
                const std::string& word) const
    {
        if (control == Control::tempoLock)
            caption(PanelLayout::caption(control), face.names, 11.0f, kCreamDim);
        const Rect box = PanelLayout::face(control);
        rect(box, 4.0f, kWell, kEdge);
        lamp(box.x + 12.0f, box.y + box.h / 2.0f, 4.5f, face.on, color);
        text({box.x + 20.0f, box.y, box.w - 22.0f, box.h}, word, 12.0f,
             face.on ? kCream : kCreamDim);
    }

    void tap(const SwitchFace& face, bool lit) const
    {
        const Rect box = PanelLayout::bounds(Control::tap);
        const float cx = box.x + box.w / 2.0f;
        const float cy = box.y + box.h / 2.0f;
        nvgBeginPath(vg);
        nvgCircle(vg, cx, cy, box.w / 2.0f - 2.0f);
        nvgFillPaint(vg, nvgLinearGradient(vg, cx, box.y, cx, box.y + box.h,
                                           face.on ? rgb(200, 188, 160) : rgb(236, 226, 200),
                                           face.on ? rgb(168, 156, 130) : rgb(190, 176, 146)));
        nvgFill(vg);
        nvgStrokeColor(vg, rgb(20, 18, 16));
        nvgStrokeWidth(vg, 2.0f);
        nvgStroke(vg);
        lamp(cx, cy - 10.0f, 5.0f, lit, kAmber);
        text({box.x, cy + 2.0f, box.w, 18.0f}, "TAP", 13.0f, kInk);
    }

    void display(const DisplayFace& face) const
    {
        const Rect box = PanelLayout::bounds(Control::display);
        rect(box, 5.0f, rgb(14, 17, 12), kEdge);
        text({box.x, box.y + 6.0f, box.w, 34.0f}, face.delay, 28.0f, kAmber);
        text({box.x, box.y + 42.0f, box.w, 20.0f},
             face.follows.empty() ? std::string("Delay Time") : face.follows, 12.0f,
             face.follows.empty() ? kCreamDim : kAmber);
        text({box.x, box.y + 64.0f, box.w, 20.0f}, face.session, 12.0f, kCreamDim);
    }

    void meter(float y, const char* name, const PeakMeter& meter) const
    {
        const Rect box = PanelLayout::bounds(Control::meters);
        text({box.x, y, 30.0f, 14.0f}, name, 11.0f, kCreamDim, false);
        const Rect bar{box.x + 32.0f, y, box.w - 32.0f, 14.0f};
        rect(bar, 2.0f, kWell, kEdge);
        const float level = static_cast<float>(PeakMeter::fraction(meter.levelDb()));
        if (level > 0.0f) {
            nvgBeginPath(vg);
            nvgRect(vg, bar.x + 1.0f, bar.y + 2.0f, (bar.w - 2.0f) * level, bar.h - 4.0f);
            nvgFillPaint(vg, nvgLinearGradient(vg, bar.x, 0.0f, bar.x + bar.w, 0.0f,
                                               rgb(120, 170, 80), rgb(240, 168, 60)));
            nvgFill(vg);
        }
        const float hold = static_cast<float>(PeakMeter::fraction(meter.holdDb()));
        if (hold > 0.0f) {
            const float x = bar.x + 1.0f + (bar.w - 3.0f) * hold;
            nvgBeginPath(vg);
            nvgRect(vg, x, bar.y + 1.0f, 2.0f, bar.h - 2.0f);
            nvgFillColor(vg, meter.holdDb() >= -0.5 ? kRed : kCream);
            nvgFill(vg);
        }
    }

    // A veil over the panel with a hole for one control.
    void dimAllBut(Control control) const
    {
        const Rect hole = PanelLayout::bounds(control);
        nvgBeginPath(vg);
        nvgRect(vg, 0.0f, 0.0f, kPanelWidth, kPanelHeight);
        nvgRect(vg, hole.x, hole.y, hole.w, hole.h);
        nvgPathWinding(vg, NVG_HOLE);
        nvgFillColor(vg, rgb(12, 10, 8, 150));
        nvgFill(vg);
    }

    void meters(const PeakMeter& input, const PeakMeter& output) const
    {
        const Rect box = PanelLayout::bounds(Control::meters);
        meter(box.y + 6.0f, "IN", input);
        meter(box.y + 30.0f, "OUT", output);
    }
};

} // namespace

void PaintPanel(NVGcontext* vg, int font, const PanelScene& scene, float scale, const Rect& area)
{
    const Painter p{vg, font};
    const PanelModel& model = scene.model;
    // A control is painted when anything it draws may fall in the area:
    // lamps glow and edges are antialiased a little past its bounds.
    constexpr float kBleed = 8.0f;
    const auto meets = [&](Control control) {
        const Rect b = PanelLayout::bounds(control);
        return b.x - kBleed < area.x + area.w && area.x < b.x + b.w + kBleed &&
               b.y - kBleed < area.y + area.h && area.y < b.y + b.h + kBleed;
    };
    nvgSave(vg);
    nvgScale(vg, scale, scale);
    nvgScissor(vg, area.x, area.y, area.w, area.h);
    p.background(model.productName(), area);
    for (const Control dial :
         {Control::delayTime, Control::feedback, Control::input, Control::output, Control::blend})
        if (meets(dial))
            p.dial(PanelLayout::dial(dial), model.dial(dial));
    for (const Control segmented : {Control::tone, Control::mode})
        if (meets(segmented))
            p.segmented(scene.layout, segmented, model.switchFace(segmented));
    for (const Control selector : {Control::noteValue, Control::dottedTriplet, Control::presets})
        if (meets(selector))
            p.selector(selector, model.switchFace(selector));
    if (meets(Control::tempoLock))
        p.toggle(Control::tempoLock, model.switchFace(Control::tempoLock), kAmber, "LOCK");
    if (meets(Control::bypass))
        p.toggle(Control::bypass, model.switchFace(Control::bypass), kRed, "BYPASS");
    if (meets(Control::tap))
        p.tap(model.switchFace(Control::tap), scene.tapLit);
    if (meets(Control::display))
        p.display(model.display());
    if (meets(Control::meters))
        p.meters(scene.input, scene.output);
    if (model.bypassed())
        p.dimAllBut(Control::bypass);
    nvgRestore(vg);
}
