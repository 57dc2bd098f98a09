// One running instance of the plug-in, driven the way the reference host
// drives it: the three objects acquired and wired in the fixed start-up
// order, then one call of process per audio block. Bypass, parameters,
// taps and the session tempo all travel as the contract says; nothing here
// knows what the plug-in does with them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// The session tempo when the user names none.
inline constexpr double kDefaultSessionTempo = 120.0;

struct InstanceSettings {
    double sampleRate = 48000.0;
    std::uint32_t maxBlockFrames = 512;
    // The user's starting values as (host index, value), turned in one at a
    // time in this order once the plug-in has started at its defaults.
    std::vector<std::pair<std::size_t, double>> initialValues;
    double sessionTempo = kDefaultSessionTempo; // BPM, given to the plug-in before every block
};

class PluginInstance;

// Called during start-up after each starting value has been handled, with
// its position in InstanceSettings::initialValues.
using StartingValueObserver = std::function<void(std::size_t position, const PluginInstance&)>;

class PluginInstance {
public:
    // Starts the instance. Throws PluginLoadError, PluginContractError (a
    // set-up failure record among them), or what the library's set-up
    // throws (std::runtime_error "unrecognized sample rate").
    PluginInstance(PluginLibrary& library, const InstanceSettings& settings,
                   const StartingValueObserver& observer = {});
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    double value(std::size_t index) const { return parameters.value(index); }
    std::size_t parameterCount() const { return parameters.size(); }

    // Before the next block: a parameter change by the user or automation,
    // and a tapped tempo.
    void change(std::size_t index, double value);
    void tap(double bpm);

    // One block of at most maxBlockFrames frames; input and output may be
    // the same. Non-finite input samples reach the plug-in as 0; returns how
    // many there were.
    std::size_t process(const float* input, float* output, std::uint32_t frames);

    // The meters as the last block left them: input, output.
    float inputMeter() const { return readings[0]; }
    float outputMeter() const { return readings[1]; }

private:
    void setUp(const StartingValueObserver& observer);
    void applyStartingValues(const StartingValueObserver& observer);

    InstanceSettings settings;
    HostCoeffBlockFactory blocks;
    HuxObject<IIHux::Plugin> plugin;
    HuxObject<IIHux::AlgorithmController> controller;
    HuxObject<IIHux::Algorithm> algorithm;
    PluginDescription described;
    ParameterService parameters;
    HuxProcessCallback callback;
    std::uint64_t position = 0; // frames processed so far
    std::vector<float> inputBuffer;
    float meters[2] = {0.0f, 0.0f};
    float readings[2] = {0.0f, 0.0f};
};
