// A test host's command line: which plug-in file renders which sound file,
// with which starting values, automation points, block sizes, transport
// tempo and state round trip. Parameter names and values stay text here;
// the plug-in reads them once it is loaded. The hosts share the options;
// a format may offer a few of its own (HostCommand).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hosterrors.h"

// "ID=VALUE" as given: ID a parameter's four-character ID or its title.
struct ParameterText {
    std::string id;
    std::string value;
    std::string given; // the option as typed, for messages
};

struct AutomationPoint {
    double seconds = 0.0; // after the start of the input
    ParameterText setting;
};

// --tempo-at SECONDS:BPM: the transport's tempo from that time on.
struct TempoPoint {
    double seconds = 0.0;
    double bpm = 120.0;
    std::string given;
};

// --editor-set ID=VALUE@SECONDS: a change the host makes itself while the
// editor is open, that long after it opened.
struct EditorChange {
    double seconds = 0.0;
    ParameterText setting;
};

// What sets one host's command line apart from another's.
struct HostCommand {
    const char* name;       // the program, "vst3host", for messages
    const char* pluginFile; // what its first file is called in messages, "BUNDLE"
    const char* usageHead;  // the usage line and what the host does
    bool tempoPoints;       // offers --tempo-at
    bool pluginIds;         // offers --plugin-id
};

struct HostOptions {
    std::string plugin; // the plug-in file (bundle)
    std::string input;
    std::string output;
    std::vector<ParameterText> starting;           // --set, in the order given
    std::vector<AutomationPoint> points;           // --at, in the order given
    std::uint32_t blockFrames = 512;               // the longest block
    std::optional<std::uint32_t> randomBlocksSeed; // sizes 1..blockFrames
    double tempo = 120.0;                          // the transport's BPM
    std::vector<TempoPoint> tempoPoints;           // --tempo-at, in the order given
    std::optional<double> saveRestoreSeconds;
    std::string pluginId;                    // --plugin-id; empty: the host chooses
    double rawRate = 48000.0;                // of headerless float input
    bool showValues = false;                 // print the settable parameters' values at the end
    double editorSeconds = 0.0;              // --editor: how long it is open; 0: not at all
    std::vector<EditorChange> editorChanges; // --editor-set, in the order given
    std::uint32_t editorCycles = 0;          // --editor-cycles: opened and closed that often
    bool help = false;
};

// [any] throws HostInputError.
HostOptions ParseHostOptions(const HostCommand& command, std::span<const std::string> arguments);

std::string HostUsageText(const HostCommand& command);
