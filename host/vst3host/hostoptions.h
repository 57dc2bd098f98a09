// The VST3 host's command line: which bundle renders which file, with which
// starting values, automation points, block sizes, transport tempo and
// state round trip. Parameter names and values stay text here; the plug-in's
// controller reads them once it is loaded.
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

struct HostOptions {
    std::string bundle;
    std::string input;
    std::string output;
    std::vector<ParameterText> starting;           // --set, in the order given
    std::vector<AutomationPoint> points;           // --at, in the order given
    std::uint32_t blockFrames = 512;               // the longest block
    std::optional<std::uint32_t> randomBlocksSeed; // sizes 1..blockFrames
    double tempo = 120.0;                          // the transport's BPM
    std::optional<double> saveRestoreSeconds;
    double rawRate = 48000.0; // of headerless float input
    bool showValues = false;  // print the settable parameters' values at the end
    bool help = false;
};

// [any] throws HostInputError.
HostOptions ParseHostOptions(std::span<const std::string> arguments);

std::string HostUsageText();
