// The tape delay's host parameters by their four-character identifiers, as
// its parameter description names them. Every host-side use of a parameter
// goes through these names; the host builds the parameters themselves (their
// order, ranges and options) from the plug-in's own description.
#pragma once

// Parameters a user sets.
inline constexpr const char* kTempoLock = "tlok";     // Tempo Lock: the session tempo sets BPM
inline constexpr const char* kNoteValue = "nval";     // Note Value: "-" or a note length
inline constexpr const char* kDelayTime = "time";     // Delay Time in seconds, without a note value
inline constexpr const char* kTempo = ".bpm";         // BPM, typed or tapped
inline constexpr const char* kFeedback = "fbak";      // dial, 1 to 9
inline constexpr const char* kInput = "inpt";         // dial, 1 to 9
inline constexpr const char* kOutput = "oput";        // dial, 1 to 9
inline constexpr const char* kBlend = "blnd";         // dial, 1 to 9
inline constexpr const char* kTone = "tone";          // Normal, Dark, Bright
inline constexpr const char* kMode = "mode";          // Vintage, Retro, Modern
inline constexpr const char* kDottedTriplet = "dot3"; // the note straight, dotted or triplet

// Values the plug-in writes for display; a host reads them, never sets them.
inline constexpr const char* kShownSessionTempo = "sBPM"; // the session tempo it heard, BPM
inline constexpr const char* kShownTempoDelay = "uiDT";   // the note's delay in seconds
