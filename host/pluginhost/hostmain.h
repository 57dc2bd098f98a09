// A test host's main(): the command line read, the render run through the
// format's loader, a failure told in one line.
#pragma once

#include "hostedplugin.h"

// [main] returns the exit status: 0 success, 2 the user's error (a bad
// option, file or value), 1 the plug-in's.
int RunHost(const HostCommand& command, const PluginLoader& load, int argc, char** argv);
