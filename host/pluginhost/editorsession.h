// A test host's editor mode, before the render: the plug-in's editor open
// in a host window for a while with the host's own changes at their times
// (--editor, --editor-set), or opened and closed again and again with the
// resident memory told (--editor-cycles).
#pragma once

#include <ostream>

#include "hostedplugin.h"

// [main] the gestures and the memory figures go to `out`. Throws
// HostInputError (no display, a bad --editor-set) or PluginFailure.
void RunEditorSession(const HostCommand& command, const HostOptions& options, HostedPlugin& plugin,
                      std::ostream& out);
