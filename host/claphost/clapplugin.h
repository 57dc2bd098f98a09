// A CLAP file's plug-in as the render loop drives it: the file loaded, the
// descriptor chosen (by --plugin-id, else the first whose audio ports have
// the input's channels), one instance created with the test host's
// context, the starting values given through params.flush before
// activation, parameter values and tempo changes as events at their
// sample, the tempo in the transport, a state round trip through a new
// instance.
#pragma once

#include "host/pluginhost/hostedplugin.h"

// [main] throws HostInputError when the file cannot be loaded or holds no
// fitting plug-in, PluginFailure when the plug-in refuses a step.
std::unique_ptr<HostedPlugin> LoadClapPlugin(const HostOptions& options, const RenderSetup& setup,
                                             std::ostream& log);
