// What a host offers a panel at instantiation: the window to embed in
// (needed), its own resize and touch, and the log.
#pragma once

#include <cstdint>
#include <optional>

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include "hostfeatures.h"

struct PanelFeatures {
    std::optional<std::uintptr_t> parent; // an X11 Window
    const LV2UI_Resize* resize = nullptr; // to tell the host the panel's size
    const LV2UI_Touch* touch = nullptr;   // a gesture's begin and end
    HostFeatures host;                    // the log

    // Reads the feature list (may be null).
    static PanelFeatures Read(const LV2_Feature* const* features);
};
