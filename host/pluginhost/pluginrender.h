// A render through a plug-in, as a host runs one: the input read block by
// block, each block given to the plug-in with the changes due in it
// (automation points and tempo changes at their own sample) and the
// transport, the state round trip at its frame, the output written safely.
#pragma once

#include <ostream>

#include "hostedplugin.h"

// [main] throws HostInputError, PluginFailure, AudioFileError and
// OutputFileError; the output is replaced only when the render succeeds.
// Warnings (points past the end, a truncated input) and what the plug-in
// logs go to `warnings`, prefixed with the command's name; the values of
// --show-values go to `out`.
void RenderThroughPlugin(const HostCommand& command, const HostOptions& options,
                         const PluginLoader& load, std::ostream& out, std::ostream& warnings);
