// One running instance of the plug-in, driven the way the reference host
// drives it: the three objects acquired and wired in the fixed start-up
// order, then one call of process per audio block. Bypass, parameters,
// taps and the session tempo all travel as the contract says; nothing here
// knows what the plug-in does with them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "coeffblocks.h"
#include "hux/public/plugin/hux.h"
#include "parameterservice.h"
#include "plugindescription.h"
#include "pluginlibrary.h"

// The rates the tape delay runs at (the integer part of the rate counts).
// The plug-in's own refusal decides; these only word the host's messages,
// and a test holds them to the plug-in.
inline constexpr double kLowestRate = 11025.0;
inline constexpr double kHighestRate = 204000.0;

// Whether the rate lies within those, and a refusal naming them, with the
// reason the plug-in gave.
bool SupportedRate(double rate);
std::string UnsupportedRateText(double rate, const std::string& reason);

// The session tempo when the user names none.
inline constexpr double kDefaultSessionTempo = 120.0;

struct InstanceSettings {
    double sampleRate = 48000.0;
    std::uint32_t maxBlockFrames = 512;
    double sessionTempo = kDefaultSessionTempo; // BPM, given to the plug-in before every block
};

// A user's starting value: (host index, value).
using StartingValue = std::pair<std::size_t, double>;

class PluginInstance;

// Called by start() after each starting value has been handled, with its
// position in the list.
using StartingValueObserver = std::function<void(std::size_t position, const PluginInstance&)>;

class PluginInstance {
public:
    // Wires the plug-in, starts it at its defaults and sets up the
    // algorithm's buffers; the tape runs once start() has been called.
    // Throws PluginLoadError, PluginContractError (a set-up failure record
    // among them), or what the library's set-up throws (std::runtime_error
    // "unrecognized sample rate").
    PluginInstance(PluginLibrary& library, const InstanceSettings& settings);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // Turns in the user's starting values one at a time, in order, as a user
    // sets them, then starts the tape from silence. Called again, it starts
    // the tape from silence again; the values already in stand. Allocates
    // nothing.
    void start(std::span<const StartingValue> values, const StartingValueObserver& observer = {});

    const PluginDescription& description() const { return described; }
    double value(std::size_t index) const { return parameters.value(index); }
    std::size_t parameterCount() const { return parameters.size(); }

    // Before the next block: a parameter change by the user or automation,
    // and a tapped tempo.
    void change(std::size_t index, double value);
    void tap(double bpm);
    // The session tempo in BPM from the next block on.
    void setSessionTempo(double bpm) { settings.sessionTempo = bpm; }

    // One block of at most maxBlockFrames frames, after start(); input and
    // output may be the same. Non-finite input samples reach the plug-in as 0; returns how
    // many there were.
    std::size_t process(const float* input, float* output, std::uint32_t frames);

    // The meters as the last block left them: input, output.
    float inputMeter() const { return readings[0]; }
    float outputMeter() const { return readings[1]; }

    // The wired objects, for what a host does beyond these calls (named
    // messages, state, descriptions, a set-up again, then start()).
    IIHux::Plugin& pluginObject() const { return *plugin; }
    IIHux::Algorithm& algorithmObject() const { return *algorithm; }

private:
    void setUp();

    InstanceSettings settings;
    HostCoeffBlockFactory blocks;
    HuxObject<IIHux::Plugin> plugin;
    HuxObject<IIHux::AlgorithmController> controller;
    HuxObject<IIHux::Algorithm> algorithm;
    PluginDescription described;
    ParameterService parameters;
    HuxProcessCallback callback{};
    std::uint64_t position = 0; // frames processed so far
    std::vector<float> inputBuffer;
    float meters[2] = {0.0f, 0.0f};
    float readings[2] = {0.0f, 0.0f};
};
