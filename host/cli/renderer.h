// Renders a stream of audio through the plug-in, block by block: one plug-in
// instance per channel (multi-mono, all with the same settings), an optional
// pre-roll of silence whose output is dropped, scheduled parameter changes
// and taps applied at their exact samples, and silence appended so that the
// echoes ring out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/audio/audiofile.h"
#include "host/runtime/plugininstance.h"
#include "host/runtime/pluginlibrary.h"

// A parameter value and where it came from, as the warnings quote it
// ("--set time=0.3", "--at 4:time=0.6", "preset Dub Echo (fbak=7.5)").
struct ParameterSetting {
    std::size_t index = 0; // host index
    double value = 0.0;
    std::string given;
};

struct ScheduledChange {
    double time = 0.0; // seconds after the start of the input
    ParameterSetting setting;
};

// A tempo at a time: a tap, or the host's session tempo changing.
struct ScheduledTempo {
    double time = 0.0; // seconds after the start of the input
    double bpm = 0.0;
    std::string given; // as the warnings quote it: "--tap 8:140", "song.txt:3"
};

// A tail that ends by itself once the echoes have died away: when the output
// has stayed quiet (see QuietWatch) for holdSeconds longer than the delay the
// plug-in is at, so that no echo is still on its way; at the latest after
// the job's tailSeconds.
struct QuietTailRule {
    double floorDbfs = -90.0;
    double holdSeconds = 0.5;
    // The plug-in's delay in seconds, read after every block.
    std::function<double(const PluginInstance&)> delaySeconds;
};

struct RenderJob {
    std::uint32_t blockFrames = 512;
    std::vector<ParameterSetting> initialValues; // turned in in this order
    double sessionTempo = kDefaultSessionTempo;
    std::vector<ScheduledChange> changes; // those due together apply in the order given
    std::vector<ScheduledTempo> taps;
    std::vector<ScheduledTempo> sessionTempos; // changes of the session tempo
    double prerollSeconds = 0.0;
    double tailSeconds = 2.0; // with untilQuiet, the longest tail
    std::optional<QuietTailRule> untilQuiet;
};

// How a tail that ends by itself ended.
struct QuietTailEnd {
    double thresholdDbfs = 0.0; // the level the output stayed below at the end
    bool hiss = false;          // the threshold was the tape hiss's, above the floor
    bool quiet = false;         // false: the longest tail was reached first
};

struct RenderResult {
    double sampleRate = 0.0;
    std::uint64_t inputFrames = 0;
    std::uint64_t outputFrames = 0;  // pre-roll not counted
    std::size_t replacedSamples = 0; // non-finite input samples given as 0
    std::vector<float> inputPeaks;   // per channel, of the input's finite samples
    // The first channel's parameter values when the render ended.
    std::vector<double> finalValues;
    // Positions in the job's lists of the events due at or after the end of
    // the output, which never took effect.
    std::vector<std::size_t> changesAfterEnd;
    std::vector<std::size_t> tapsAfterEnd;
    std::vector<std::size_t> sessionTemposAfterEnd;
    std::optional<QuietTailEnd> quietTail; // with the job's untilQuiet
};

// What the caller hears of a render while it runs.
struct RenderHooks {
    // After every block: the frames written and, when known, the frames
    // there will be.
    std::function<void(std::uint64_t done, std::optional<std::uint64_t> total)> progress;
    // With the first channel's instance: after each starting value has been
    // handled, once all have, and after a block that began with scheduled
    // changes (those changes, in the order applied).
    std::function<void(const ParameterSetting&, const PluginInstance&)> startingValue;
    std::function<void(const PluginInstance&)> started;
    std::function<void(std::span<const ScheduledChange* const>, const PluginInstance&)> applied;
};

// Reads source to its end and writes every rendered frame to sink (not
// committed). An event at T seconds is due at sample floor(P x rate) +
// floor(T x rate), P being the pre-roll; a block ends where an event is
// due, so each takes effect at its own sample whatever the block size.
// Changes due together apply before taps, and both before session tempos.
// A tail that ends by itself runs one more instance on silence beside the
// channels, with the same settings and events: its output is the tape hiss
// the quiet output is measured against. Throws what the instances'
// start-up or the files throw.
RenderResult Render(PluginLibrary& library, AudioSource& source, AudioSink& sink,
                    const RenderJob& job, const RenderHooks& hooks = {});
