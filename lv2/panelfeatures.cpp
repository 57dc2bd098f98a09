#include "panelfeatures.h"

#include <cstring>

PanelFeatures PanelFeatures::Read(const LV2_Feature* const* features)
{
    PanelFeatures found;
    found.host = HostFeatures::Read(features);
    ForEachFeature(features, [&](const char* uri, void* data) {
        if (std::strcmp(uri, LV2_UI__parent) == 0)
            found.parent = reinterpret_cast<std::uintptr_t>(data);
        else if (std::strcmp(uri, LV2_UI__resize) == 0)
            found.resize = static_cast<const LV2UI_Resize*>(data);
        else if (std::strcmp(uri, LV2_UI__touch) == 0)
            found.touch = static_cast<const LV2UI_Touch*>(data);
    });
    return found;
}
