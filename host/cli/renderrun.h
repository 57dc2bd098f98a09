// Running a render for the command: start-up failures at rates the plug-in
// does not run at become input errors, and a summary line for people.
#pragma once

#include <string>

#include "renderer.h"

// Render, but a failure to start at an unsupported rate is a UsageError
// that says which rates are supported.
RenderResult RenderAtSupportedRate(PluginLibrary& library, AudioSource& source, AudioSink& sink,
                                   const RenderJob& job, const RenderProgress& progress);

// "-6.0 dBFS", "-inf dBFS" for silence.
std::string PeakText(float peak);

// Length, rate, channels and each channel's meter peaks.
std::string RenderSummary(const RenderResult& result);
