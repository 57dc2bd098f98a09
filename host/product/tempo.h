// How the tape delay hears tempo: a tapped tempo arrives as its named
// message, and the session tempo a host reports when the user names none.
#pragma once

#include "host/runtime/plugininstance.h"

// The tap-tempo message: its name and the key of its tempo in BPM.
inline constexpr const char* kTapMessage = "BPMTapped";
inline constexpr const char* kTapTempoKey = "bpm";

// The session tempo when the user names none, BPM.
inline constexpr double kDefaultSessionTempo = 120.0;

// [audio thread, between blocks] A tapped tempo, handed to the plug-in
// before its next block.
inline void TapTempo(PluginInstance& instance, double bpm)
{
    instance.sendMessage(kTapMessage, kTapTempoKey, bpm);
}
