// One instance of the tape delay in an LV2 host: the plug-in library loaded
// from the bundle and driven by the reference host's rules, its parameters
// bound to control ports.
//
// The first run after activate turns in the control values that differ
// from the previous run's (the defaults at first), in port order, as a
// user's clicks, and starts the tape from silence. Later runs report the
// controls whose port value changed since the previous run, then process.
// A host owns its input ports: what the plug-in writes into its own
// parameters stays inside the instance.
//
// Threads, as LV2 classes them: the constructor and the destructor are the
// instantiation class, activate too; connect and run are the audio class.
// The plug-in's parameter changes, taps and session tempos are dispatched
// inside run, on the audio thread, before each block (the runtime's
// instance is not shared between threads). Each declaration says whether
// it may allocate or throw.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "bundleports.h"
#include "host/runtime/plugininstance.h"
#include "hostfeatures.h"
#include "transport.h"

class Lv2Instance {
public:
    // [instantiation] allocates; throws PluginLoadError,
    // PluginContractError or the plug-in's refusal of the rate.
    // Loads the plug-in library and starts it at its defaults.
    Lv2Instance(const std::string& libraryPath, double sampleRate, const HostFeatures& features);
    // [instantiation] no throw: releases the plug-in's objects and unloads
    // the library.
    ~Lv2Instance() = default;
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    // [audio] no allocation, no throw; a port past the last is ignored.
    void connect(std::uint32_t port, void* data);
    // [instantiation] no allocation, no throw: the next run starts the tape
    // from silence.
    void activate() { starting = true; }
    // [audio] no allocation, no throw: after a failure the instance puts out
    // silence.
    void run(std::uint32_t frames);

private:
    // A control input's state: its last value as the host left it.
    struct Control {
        std::uint32_t port = 0;
        std::size_t parameter = 0;
        float previous = 0.0f;
    };

    // The helpers of run: [audio] no allocation; what they throw, run
    // catches.
    // The controls: at the start, the starting values; later, changes.
    void readControls();
    // A press of the Tap button after an earlier one taps their tempo.
    void readTap();
    // The session tempo, within its range.
    void setSessionTempo(double bpm);
    // The run in blocks, each tempo event taking effect at its frame.
    void processRun(std::uint32_t frames, std::span<const TempoEvent> events);
    void writeOutputs();
    // [audio] no allocation, no throw.
    double parameterValue(const Control& control, float portValue) const;
    float portValue(std::uint32_t port, float fallback) const;

    PluginLibrary library;
    PluginInstance instance;
    const PluginDescription& description;
    std::vector<BundlePort> ports;
    std::vector<void*> connections;
    std::vector<Control> controls; // parameters and enabled, in port order
    std::optional<std::uint32_t> tapPort;
    std::optional<std::uint32_t> transportPort;
    std::uint32_t maxBlock;
    double sampleRate;
    TransportReader transport;

    bool starting = true;
    bool failed = false;
    std::vector<StartingValue> startingValues; // room for every control
    std::array<TempoEvent, 32> tempoEvents{};
    double lowestTempo = 0.0; // the session tempo's range
    double highestTempo = 0.0;
    double lowestTap = 0.0; // the tapped tempo's range
    double highestTap = 0.0;
    bool tapDown = false;
    std::optional<std::uint64_t> lastPress; // in frames
    std::uint64_t clock = 0;                // frames run so far
    float inputPeak = 0.0f;
    float outputPeak = 0.0f;
};
