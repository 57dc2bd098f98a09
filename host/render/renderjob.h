// A render job: what the renderer is asked to do (the starting values,
// the scheduled changes, taps and session tempos, the pre-roll, the block
// size and the tail) and what it reports back. Built by the command from its
// options, or by any other caller; nothing here reads options or prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/product/tempo.h"
#include "host/runtime/plugininstance.h"

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
