// The tape delay as every plug-in format drives it (LV2, VST3, CLAP): one
// plug-in instance per channel with one setting, started by the host rules
// and run with sample-accurate events. A format's adapter translates its
// host's calls into these and nothing more.
//
// Start-up: the instances start at their defaults. Until the first run
// after construction or activate(), set() only records the host's values;
// that run turns in those that differ from the defaults, in host order, as
// a user's clicks (each handled with the plug-in's follow-ups before the
// next), then starts the tape from silence.
//
// A run is split where an event is due, so each takes effect at its own
// frame whatever the host's block size; events due at the same frame apply
// changes first, then taps, then session tempos, as the command's renderer
// does. The Tap control taps on a rising edge: each press after the first
// taps the tempo of the interval between them, when that lies within the
// tempo's range. A Tap value seen first after construction or a restore only
// sets the edge, it is no press.
//
// The host's values and the plug-in's: the host's view of each parameter is
// what it last set; the plug-in may set others itself (BPM when a note value
// is chosen, BPM and Note Value after taps, the display values).
// takeOwnWrites() hands those to the adapter, which passes them on as its
// format allows, so that what a host saves is what the plug-in runs with.
//
// Threads: an Effect is not shared. The adapter calls everything from one
// thread at a time; the [audio] calls never allocate, lock or throw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "effectstate.h"
#include "host/runtime/plugininstance.h"
#include "host/runtime/pluginlibrary.h"

struct EffectSettings {
    double sampleRate = 48000.0;
    std::uint32_t maxBlockFrames = 512; // the longest run the host promises
    std::uint32_t channels = 1;         // 1, or 2 for two instances with one setting
};

struct EffectEvent {
    enum class Kind : std::uint8_t {
        change, // a parameter's plain value from the host (index, value)
        tap,    // the Tap control's value: above 0.5 is down (value)
        tempo,  // the host's session tempo in BPM (value), clamped to its range
    };
    std::uint32_t frame = 0; // within the run; at or past its end: at its end
    Kind kind = Kind::change;
    std::uint32_t index = 0; // a change's host parameter index
    double value = 0.0;
};

// [any] no allocation: a value as a host may read and save it, within its
// parameter's range. The plug-in's own writes may lie outside it (a BPM from
// a delay of 0 is infinite): those read as the nearer end, and a value that
// is no number as the default. A restore takes either as the same value.
double HostReadable(const ParameterInfo& parameter, double value);

class Effect {
public:
    // [set-up] allocates; throws PluginLoadError, PluginContractError, the
    // plug-in's refusal of the rate (std::runtime_error), or
    // std::invalid_argument for a channel count other than 1 or 2 or a
    // block size of 0.
    Effect(PluginLibrary& library, const EffectSettings& settings);
    ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // [any] no allocation, no throw.
    const PluginDescription& description() const;
    std::size_t parameterCount() const;
    const EffectSettings& settings() const;

    // [any] no allocation, no throw; an index past the parameters reads 0.
    // The value the plug-in runs with (the first channel's).
    double value(std::size_t index) const;
    // What the host last set, or was last handed by takeOwnWrites.
    double hostValue(std::size_t index) const;
    // Moves whenever a value the plug-in runs with or the host's view of
    // one may have changed: what depends on them needs redoing only when it
    // moved.
    std::uint64_t revision() const;

    // [audio, between runs] no allocation, no throw; an index past the
    // parameters, a value the plug-in writes for display and a NaN are
    // ignored, a value is clamped to its parameter's range.
    // Before the first run: a starting value. After: a change at the start
    // of the next run.
    void set(std::size_t index, double value);
    // [audio, between runs] no allocation, no throw: the next run turns in
    // the host's values that differ from the plug-in's and starts the tape
    // from silence.
    void activate();

    // [audio] no allocation, no throw. frames at most maxBlockFrames per
    // call is not required: longer runs are split. inputs and outputs hold
    // one pointer per channel; a null input is silence, a null output is
    // not written. Events need not be sorted; a change is ignored where
    // set() ignores it. After the plug-in breaks its contract the effect
    // puts out silence from then on.
    void run(std::span<const float* const> inputs, std::span<float* const> outputs,
             std::uint32_t frames, std::span<const EffectEvent> events);

    // [audio] no allocation, no throw: the peaks of the last run, over the
    // channels.
    float inputMeter() const;
    float outputMeter() const;
    // [any] no allocation, no throw: whether the plug-in failed.
    bool failed() const;

    // [audio, between runs] no allocation, no throw. Calls write(index,
    // value) for each parameter whose value the plug-in set itself, so that
    // it differs from the host's view, in host order, and takes each as the
    // host's view. Looks only when a value moved since it last looked.
    template <class Write>
    void takeOwnWrites(Write write)
    {
        if (revision() == ownWritesTaken)
            return;
        for (std::size_t i = 0; i < parameterCount(); ++i)
            if (value(i) != hostValue(i)) {
                adopt(i);
                write(i, value(i));
            }
        ownWritesTaken = revision();
    }

    // [any, not during run] allocates, no throw: every parameter's value as
    // the plug-in runs with it.
    EffectState state() const;
    // [audio, between runs] no allocation, no throw: the state's values as
    // one consistent set, the plug-in's writes while they are handled
    // discarded (as for the defaults); codes the plug-in lacks are skipped.
    // The host's view becomes those values; the tape keeps running.
    void restore(const EffectState& state);
    // [set-up] allocates, no throw: restore() with the values of an effect
    // this one replaces (other settings, the same plug-in), then its host
    // values that its plug-in had not yet taken, as starting values.
    void carry(const Effect& previous);

private:
    void adopt(std::size_t index);

    struct Impl;
    std::unique_ptr<Impl> impl;
    std::uint64_t ownWritesTaken = ~std::uint64_t{0}; // the revision takeOwnWrites last saw
};
