// The tape delay's plug-in object.
#pragma once

#include "hux/public/plugin/hux.h"

struct VX9 final : HuxPlugin<VX9, IIVX9Controller> {
    Missive describePlugin() override;
    void bindParameters() override;
};
