// One instance of the tape delay in an LV2 host, mono or stereo: the plug-in
// library loaded from the bundle and run by the adapter core, its ports
// translated into the core's calls.
//
// Each run hands the core a change at frame 0 for every control whose port
// value changed since the previous run (the enabled port turned round into
// the bypass), the Tap port's value as a tap at frame 0, and the
// transport's tempos at their frames; the first run after activate turns
// them in as starting values. A host owns its input ports: what the plug-in
// writes into its own parameters stays inside the instance, and its
// state, which the host saves, carries it.
//
// Threads, as LV2 classes them: the constructor, the destructor, activate
// and restoreState are the instantiation class; connect and run the audio
// class; saveState may come on any thread, even during a run. Each
// declaration says whether it may allocate or throw.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bundleports.h"
#include "host/effect/effect.h"
#include "hostfeatures.h"
#include "transport.h"
#include "valuesnapshot.h"

class Lv2Instance {
public:
    // [instantiation] allocates; throws PluginLoadError,
    // PluginContractError or the plug-in's refusal of the rate.
    // Loads the plug-in library and starts channels (1 or 2) at its defaults.
    Lv2Instance(const std::string& libraryPath, double sampleRate, const HostFeatures& features,
                std::uint32_t channels);
    // [instantiation] no throw: releases the plug-in's objects and unloads
    // the library.
    ~Lv2Instance() = default;
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    // [audio] no allocation, no throw; a port past the last is ignored.
    void connect(std::uint32_t port, void* data);
    // [instantiation] no allocation, no throw: the next run starts the tape
    // from silence.
    void activate() { effect.activate(); }
    // [audio] no allocation, no throw: after a failure the instance puts out
    // silence.
    void run(std::uint32_t frames);

    // A state as two blobs in the core's format: the parameters' values and
    // the control ports' values, both as the last run left them.
    struct State {
        std::vector<std::uint8_t> values;
        std::vector<std::uint8_t> ports;
    };
    // [any thread] allocates, no throw.
    State saveState() const;
    // [instantiation] allocates, no throw: the state, or why it was
    // refused, with nothing changed. The next run turns in only the control
    // ports that differ from the values they had when the state was saved
    // (a host's change still pending then); without those, none: the host's
    // copies of what the plug-in set itself are older than the state.
    std::string restoreState(std::span<const std::uint8_t> values,
                             std::span<const std::uint8_t> ports);

private:
    // A control input's state: its last value as the host left it.
    struct Control {
        std::uint32_t port = 0;
        std::size_t parameter = 0;
        float previous = 0.0f;
    };

    // The helpers of run: [audio] no allocation, no throw.
    // Whether a control's port value moved.
    bool readControls();
    // The parameters' values, then the controls' previous port values.
    void publish();
    void writeOutputs();
    double parameterValue(const Control& control, float portValue) const;
    float portValue(std::uint32_t port, float fallback) const;

    PluginLibrary library;
    Effect effect;
    std::vector<BundlePort> ports;
    std::vector<void*> connections;
    std::vector<Control> controls; // parameters and enabled, in port order
    std::vector<std::uint32_t> audioIn;
    std::vector<std::uint32_t> audioOut;
    std::optional<std::uint32_t> tapPort;
    std::optional<std::uint32_t> transportPort;
    TransportReader transport;
    ValueSnapshot saved; // the parameters' values, then the controls' port values

    std::vector<EffectEvent> events; // room for every control, a tap and the tempos
    std::array<TempoEvent, 32> tempoEvents{};
    std::vector<const float*> inputs;
    std::vector<float*> outputs;
    bool adoptPorts = false;             // after a restore
    std::uint64_t publishedRevision = 0; // the core's, as publish saw it
};
