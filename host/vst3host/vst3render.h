// A render through a VST3 bundle, as a host runs one: the input read block
// by block, each block given to the plug-in with its parameter changes (the
// starting values with the first, automation points at their own sample)
// and the transport, the output written safely.
#pragma once

#include <ostream>

#include "hostoptions.h"

// [main] throws HostInputError, PluginFailure, AudioFileError and
// OutputFileError; the output is replaced only when the render succeeds.
// Warnings (points past the end, a truncated input) go to `warnings`, the
// values of --show-values to `out`.
void RenderThroughVst3(const HostOptions& options, std::ostream& out, std::ostream& warnings);
