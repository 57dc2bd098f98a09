// A VST3 bundle's audio effect as the render loop drives it: the module
// loaded, one instance of its component and controller, the starting
// values given to the controller and with the first block, automation
// points as parameter changes at their sample, the tempo in the process
// context, a state round trip through a new instance.
#pragma once

#include "host/pluginhost/hostedplugin.h"

// [main] throws HostInputError when the bundle cannot be loaded or holds no
// audio effect, PluginFailure when the plug-in refuses a step.
std::unique_ptr<HostedPlugin> LoadVst3Plugin(const HostOptions& options, const RenderSetup& setup,
                                             std::ostream& log);
