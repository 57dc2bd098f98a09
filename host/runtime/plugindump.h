// A plug-in's own diagnostic dump of a message to standard output: an
// operation its class adds after the interface's own, reached by its vtable
// position. Which plug-in has one, and where, is the product's to say.
#pragma once

#include <cstdint>

#include "core/ktuuid.h"
#include "plugindescription.h"

struct DumpOperation {
    KtUuid plugin;           // the descriptor's "huxId" of the class that adds it
    std::uintptr_t slot = 0; // its vtable position
};

// Whether the plug-in described is the one that offers dump.
bool OffersDump(const PluginDescription& description, const DumpOperation& dump);

// Has the plug-in print the message's dump. Only for a plug-in that offers it.
void DumpThroughPlugin(IIHux::Plugin& plugin, const DumpOperation& dump, const Missive& message);
