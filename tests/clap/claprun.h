// Renders through the CLAP plug-in by the project's CLAP host and by the
// tapedelay command, as a user runs them.
#pragma once

#include "tests/support/pluginhostrun.h"

struct ClapRender : PluginHostRun {
    ClapRender() : PluginHostRun(TAPEDELAY_CLAPHOST, TAPEDELAY_CLAP_FILE) {}
};
