// render --report: what the summary and the warnings say, and the settings
// the render used, as JSON for scripts.
#pragma once

#include <string>

#include "host/cli/job/renderrun.h"
#include "host/runtime/plugindescription.h"

struct RenderReportFiles {
    std::string input;
    std::string output;
};

std::string RenderReportJson(const RenderReport& report, const RenderJob& job,
                             const RenderOptions& options, const PluginDescription& description,
                             const RenderReportFiles& files);
