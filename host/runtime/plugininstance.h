// One running instance of a plug-in, driven the way the reference host
// drives any plug-in library: the three objects acquired and wired in the
// fixed start-up order, then one call of process per audio block. Bypass,
// parameters, named messages and the session tempo all travel as the
// contract says; nothing here knows what the plug-in does with them.
//
// Threads: an instance is not shared. Every operation is called by the one
// thread that owns it; the plug-in's parameter thread and its audio thread
// are that same thread here, so parameter changes are dispatched on the
// audio thread before each block (the LV2 adapter calls change, start and
// process from its run). Each declaration says whether it may allocate or
// throw.
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

struct InstanceSettings {
    double sampleRate = 48000.0;
    std::uint32_t maxBlockFrames = 512;
    // BPM, given to the plug-in through query before every block. A host
    // always has one: the caller passes the user's, or the product's default.
    double sessionTempo = 0.0;
};

// A user's starting value: (host index, value).
using StartingValue = std::pair<std::size_t, double>;

class PluginInstance;

// Called by start() after each starting value has been handled, with its
// position in the list.
using StartingValueObserver = std::function<void(std::size_t position, const PluginInstance&)>;

class PluginInstance {
public:
    // [set-up] allocates; throws PluginLoadError, PluginContractError (a
    // set-up failure record among them), std::invalid_argument for a block
    // size of 0, or what the library's set-up throws (std::runtime_error
    // "unrecognized sample rate").
    // Wires the plug-in, starts it at its defaults and sets up the
    // algorithm's buffers; the tape runs once start() has been called. The
    // instance owns the three objects; library must outlive it.
    PluginInstance(PluginLibrary& library, const InstanceSettings& settings);
    // [set-up] releases the three objects through the library; no throw.
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // [audio thread, before a block] no allocation; throws
    // PluginContractError, std::out_of_range for an index past the
    // parameters, and lets the plug-in's own handler exceptions pass.
    // Turns in the user's starting values one at a time, in order, as a user
    // sets them, then starts the tape from silence. Called again, it starts
    // the tape from silence again; the values already in stand.
    void start(std::span<const StartingValue> values, const StartingValueObserver& observer = {});

    // [audio thread, between blocks] no allocation; throws
    // std::invalid_argument unless there is one value per parameter, and
    // lets the plug-in's own handler exceptions pass.
    // Every parameter's value at once, as one consistent set: all stored,
    // then those that changed reported and handled with the plug-in's
    // writes discarded, as the defaults are at set-up. The tape keeps
    // running.
    void restore(std::span<const double> values);

    // [any, owner's thread] no allocation, no throw; valid while the
    // instance lives.
    const PluginDescription& description() const { return described; }
    // [any, owner's thread] no allocation; throws std::out_of_range for an
    // index past the parameters.
    double value(std::size_t index) const { return parameters.value(index); }
    // [any, owner's thread] no allocation, no throw.
    std::size_t parameterCount() const { return parameters.size(); }
    // [any, owner's thread] no allocation, no throw: moves whenever a value
    // is stored, so an unchanged count means unchanged values.
    std::uint64_t valueRevision() const { return parameters.revision(); }

    // [audio thread, between blocks] no allocation; throws std::out_of_range
    // for an index past the parameters.
    // A parameter change by the user or automation before the next block;
    // the next process dispatches it.
    void change(std::size_t index, double value);
    // [audio thread, between blocks] no allocation for a short name; lets
    // the plug-in's handler exceptions pass.
    // A named message holding one number, handed to the plug-in at once
    // (the host rule for named messages: the default record carries the
    // name, one more record the value). The product says which messages it
    // takes.
    void sendMessage(const char* name, const char* key, double value);
    // [audio thread, between blocks] no allocation, no throw.
    // The session tempo in BPM from the next block on.
    void setSessionTempo(double bpm) { settings.sessionTempo = bpm; }

    // [audio thread] no allocation; throws std::invalid_argument for a block
    // longer than maxBlockFrames, std::logic_error before start(), and
    // PluginContractError for a broken coefficient contract.
    // One block of at most maxBlockFrames frames, after start(); input and
    // output are the caller's and may be the same. Non-finite input samples reach the plug-in as
    // 0; returns how many there were.
    std::size_t process(const float* input, float* output, std::uint32_t frames);

    // [any, owner's thread] no allocation, no throw.
    // The meters as the last block left them: input, output.
    float inputMeter() const { return readings[0]; }
    float outputMeter() const { return readings[1]; }

    // The wired objects, for what a host does beyond these calls (named
    // messages, state, descriptions, a set-up again, then start()).
    IIHux::Plugin& pluginObject() const { return *plugin; }
    IIHux::Algorithm& algorithmObject() const { return *algorithm; }

private:
    void setUp();
    // Handles what was reported, with the plug-in's writes discarded.
    void handleReported();

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
