// Draws the panel, or a part of it, with NanoVG in panel units, scaled to the window,
// so every line and glyph is rendered at the window's own resolution.
#pragma once

#include "panellayout.h"
#include "panelmodel.h"
#include "peakmeter.h"

struct NVGcontext;

struct PanelScene {
    const PanelModel& model;
    const PanelLayout& layout;
    const PeakMeter& input;
    const PeakMeter& output;
    bool tapLit = false;
};

// [ui, in a NanoVG frame] font is the NanoVG font id of the panel's face,
// or -1 to draw without text; scale is window pixels per panel unit. Paints
// the part of the panel in `area` (panel units) and nothing outside it: the
// same pixels there as a paint of the whole.
void PaintPanel(NVGcontext* vg, int font, const PanelScene& scene, float scale,
                const Rect& area = {0.0f, 0.0f, kPanelWidth, kPanelHeight});
