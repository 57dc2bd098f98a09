// Renders through the VST3 bundle by the project's VST3 host and by the
// tapedelay command, as a user runs them.
#pragma once

#include "tests/support/pluginhostrun.h"

struct Vst3Render : PluginHostRun {
    Vst3Render() : PluginHostRun(TAPEDELAY_VST3HOST, TAPEDELAY_VST3_BUNDLE) {}
};
