// The plug-in's own diagnostic dump of a message to standard output.
#pragma once

#include "plugindescription.h"

// Whether the plug-in described is one known to offer the dump.
bool OffersDump(const PluginDescription& description);

// Has the plug-in print the message's dump. Only for a plug-in that offers it.
void DumpThroughPlugin(IIHux::Plugin& plugin, const Missive& message);
