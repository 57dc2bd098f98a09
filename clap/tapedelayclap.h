// One CLAP instance of the tape delay: mono, or stereo as two instances
// with one setting, run by the adapter core.
//
// Threads, as the CLAP headers give them: construction, activate,
// deactivate, the parameter queries and the state come from the host's
// main thread; process and reset from its audio thread, never allocating,
// locking or making a system call; flush from the audio thread while
// active, else the main thread. The core exists from the first activate
// on; before it, the host's values wait in `pending`. A state loaded while
// active reaches the audio thread through a StateHandoff. The values a host
// reads (`published`) are written after every block and every state. The
// editor (ClapGui) reads them on the main thread with the meters' peaks;
// its gestures reach the audio thread through a GestureQueue.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "clap/plugin.h"
#include "clap/stream.h"
#include "editorgestures.h"
#include "eventinput.h"
#include "gestureevents.h"
#include "gesturequeue.h"
#include "host/effect/effect.h"
#include "host/effect/statehandoff.h"
#include "hostservices.h"
#include "module.h"
#include "peakhold.h"

class ClapGui;

class TapeDelayClap {
public:
    // [main] allocates.
    TapeDelayClap(std::shared_ptr<ClapModule> module, const clap_host_t* host,
                  std::uint32_t channels);
    ~TapeDelayClap();

    clap_plugin_t clap{}; // plugin_data points back here
    static TapeDelayClap& Of(const clap_plugin_t* plugin)
    {
        return *static_cast<TapeDelayClap*>(plugin->plugin_data);
    }

    // [main]
    bool init();
    bool activate(double sampleRate, std::uint32_t maxFrames);
    void deactivate();
    // [audio]
    void reset();
    clap_process_status process(const clap_process_t& process);

    // [main] the value a host reads; false for an unknown ID.
    bool value(clap_id id, double* value) const;
    // [active ? audio : main]
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);
    // [main]
    bool save(const clap_ostream_t* stream) const;
    bool load(const clap_istream_t* stream);

    std::uint32_t channels() const { return channelCount; }
    const ClapModule& shared() const { return *module; }
    const HostServices& host() const { return services; }

    // [main] the editor, between the gui's create and destroy.
    bool createGui();
    void destroyGui();
    ClapGui* gui() const { return editorGui.get(); }
    // [main] what the editor reads and where its gestures go: a value the
    // host reads, by position in the parameter list; a meter's peak since
    // the last take (0 input, 1 output).
    double publishedValue(std::size_t position) const
    {
        return published[position].load(std::memory_order_relaxed);
    }
    PeakHold& meterPeak(std::size_t which) { return meterPeaks[which]; }
    GestureQueue& gestureQueue() { return gestures; }
    EditorHost& editorHost() { return editorGestures; }

private:
    // [audio, or main while inactive] no allocation: the block's events and
    // audio through the core, in runs as long as the events' room allows.
    void run(const clap_input_events_t* in, const clap_event_transport_t* transport,
             const float* const* inputs, float* const* outputs, std::uint32_t frames);
    // [audio, or main while inactive] no allocation: the plug-in's own
    // writes and the meters as output events at `time`.
    void writeOutputs(const clap_output_events_t* out, std::uint32_t time);
    void post(const clap_output_events_t* out, const ClapParameter& parameter, double value,
              std::uint32_t time) const;
    // [main] the host's values before the first activate.
    void keepPending(const clap_input_events_t* in);
    // Every value a host reads, from the core or from a state.
    void publish();
    void publish(const EffectState& state);
    // [audio] no allocation: after a block, the meters, and the values when
    // one moved.
    void publishChanges();
    void publishMeters();

    std::shared_ptr<ClapModule> module;
    HostServices services;
    const clap_host_t* clapHost;
    std::uint32_t channelCount;
    std::unique_ptr<Effect> effect;
    bool active = false;
    EventInput input;
    StateHandoff handoff;
    struct {
        std::optional<EffectState> state;          // loaded before the first activate
        std::vector<std::optional<double>> values; // then set, by host index
    } pending;
    std::unique_ptr<std::atomic<double>[]> published; // by ClapParameters position
    float peaks[2] = {};                              // of the block so far
    double sentMeters[2] = {-1.0, -1.0};
    std::uint64_t publishedRevision = 0; // the core's revision publish() last saw
    PeakHold meterPeaks[2];
    GestureQueue gestures;
    GestureEvents gestureEvents;
    EditorGestures editorGestures;
    std::unique_ptr<ClapGui> editorGui;
};

// [main] allocates: a new instance as the factory hands it out, or null.
const clap_plugin_t* CreateTapeDelayPlugin(std::shared_ptr<ClapModule> module,
                                           const clap_host_t* host, std::uint32_t channels);
