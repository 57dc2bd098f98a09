#include "panellayout.h"

#include <algorithm>
#include <array>

namespace {

constexpr float kDialLeft = 12.0f;
constexpr float kDialWidth = 104.0f;
constexpr float kArrowWidth = 22.0f;

constexpr std::array<Control, 5> kDials = {Control::delayTime, Control::feedback, Control::input,
                                           Control::output, Control::blend};

// The switches and selectors of the bottom row: left edge and width.
struct RowPlace {
    Control control;
    float x;
    float w;
};
constexpr std::array<RowPlace, 5> kRow = {{{Control::tone, 16.0f, 160.0f},
                                           {Control::mode, 186.0f, 170.0f},
                                           {Control::noteValue, 366.0f, 106.0f},
                                           {Control::dottedTriplet, 482.0f, 88.0f},
                                           {Control::tempoLock, 580.0f, 92.0f}}};
constexpr float kCaptionTop = 224.0f;
constexpr float kCaptionHeight = 16.0f;
constexpr float kFaceTop = 242.0f;
constexpr float kFaceHeight = 34.0f;

int dialSlot(Control control)
{
    const auto found = std::find(kDials.begin(), kDials.end(), control);
    return found == kDials.end() ? -1 : static_cast<int>(found - kDials.begin());
}

const RowPlace* rowPlace(Control control)
{
    for (const RowPlace& place : kRow)
        if (place.control == control)
            return &place;
    return nullptr;
}

} // namespace

bool IsDial(Control control)
{
    return dialSlot(control) >= 0;
}

bool IsSegmented(Control control)
{
    return control == Control::tone || control == Control::mode;
}

bool IsSelector(Control control)
{
    return control == Control::noteValue || control == Control::dottedTriplet ||
           control == Control::presets;
}

PanelLayout::PanelLayout(std::size_t toneOptions, std::size_t modeOptions)
    : toneOptions(std::max<std::size_t>(toneOptions, 1)),
      modeOptions(std::max<std::size_t>(modeOptions, 1))
{}

DialGeometry PanelLayout::dial(Control control)
{
    const float x = kDialLeft + kDialWidth * static_cast<float>(std::max(dialSlot(control), 0));
    DialGeometry geometry;
    geometry.label = {x, 48.0f, kDialWidth, 16.0f};
    geometry.centerX = x + kDialWidth / 2.0f;
    geometry.centerY = 110.0f;
    geometry.radius = 38.0f;
    geometry.value = {x + 6.0f, 158.0f, kDialWidth - 12.0f, 20.0f};
    geometry.detail = {x, 180.0f, kDialWidth, 16.0f};
    return geometry;
}

Rect PanelLayout::bounds(Control control)
{
    if (IsDial(control)) {
        const DialGeometry geometry = dial(control);
        return {geometry.label.x, 44.0f, kDialWidth, 156.0f};
    }
    if (const RowPlace* place = rowPlace(control))
        return {place->x, kCaptionTop, place->w, kFaceTop + kFaceHeight - kCaptionTop};
    switch (control) {
    case Control::presets: return {236.0f, 8.0f, 288.0f, 28.0f};
    case Control::bypass: return {636.0f, 8.0f, 108.0f, 28.0f};
    case Control::tap: return {686.0f, 222.0f, 62.0f, 62.0f};
    case Control::display: return {540.0f, 44.0f, 208.0f, 92.0f};
    case Control::meters: return {540.0f, 144.0f, 208.0f, 56.0f};
    default: return {};
    }
}

Rect PanelLayout::caption(Control control)
{
    const Rect all = bounds(control);
    return {all.x, all.y, all.w, rowPlace(control) ? kCaptionHeight : 0.0f};
}

Rect PanelLayout::face(Control control)
{
    const Rect all = bounds(control);
    return rowPlace(control) ? Rect{all.x, kFaceTop, all.w, kFaceHeight} : all;
}

Rect PanelLayout::arrow(Control control, int direction)
{
    const Rect box = face(control);
    return {direction < 0 ? box.x : box.x + box.w - kArrowWidth, box.y, kArrowWidth, box.h};
}

Rect PanelLayout::selectorLabel(Control control)
{
    const Rect box = face(control);
    return {box.x + kArrowWidth, box.y, box.w - 2.0f * kArrowWidth, box.h};
}

std::size_t PanelLayout::segments(Control control) const
{
    return control == Control::tone ? toneOptions : control == Control::mode ? modeOptions : 0;
}

Rect PanelLayout::segment(Control control, std::size_t index) const
{
    const Rect box = face(control);
    const float width = box.w / static_cast<float>(std::max<std::size_t>(segments(control), 1));
    return {box.x + width * static_cast<float>(index), box.y, width, box.h};
}

Hit PanelLayout::hitTest(float x, float y, float scale) const
{
    if (!(scale > 0.0f))
        return {};
    const float ux = x / scale;
    const float uy = y / scale;
    for (std::size_t i = 1; i < kControlCount; ++i) {
        const Control control = static_cast<Control>(i);
        if (!bounds(control).contains(ux, uy))
            continue;
        if (IsDial(control))
            return {control, dial(control).value.contains(ux, uy) ? Part::valueText : Part::knob};
        if (IsSegmented(control)) {
            const Rect box = face(control);
            if (!box.contains(ux, uy))
                return {control, -1};
            const float width = box.w / static_cast<float>(segments(control));
            const auto index = static_cast<std::size_t>((ux - box.x) / width);
            return {control, static_cast<int>(std::min(index, segments(control) - 1))};
        }
        if (IsSelector(control)) {
            if (arrow(control, Part::stepDown).contains(ux, uy))
                return {control, Part::stepDown};
            if (arrow(control, Part::stepUp).contains(ux, uy))
                return {control, Part::stepUp};
        }
        return {control, Part::label};
    }
    return {};
}
