// Renders a stream of audio through the plug-in, block by block: one plug-in
// instance per channel (multi-mono, all with the same settings), scheduled
// parameter changes and taps applied at block starts, and silence appended
// so that the echoes ring out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "host/audio/audiofile.h"
#include "host/runtime/pluginlibrary.h"

struct ScheduledChange {
    double time = 0.0; // seconds
    std::size_t index = 0;
    double value = 0.0;
};

struct ScheduledTap {
    double time = 0.0; // seconds
    double bpm = 0.0;
};

struct RenderJob {
    std::uint32_t blockFrames = 512;
    std::vector<std::pair<std::size_t, double>> initialValues; // (host index, value)
    std::optional<double> sessionTempo;
    std::vector<ScheduledChange> changes; // each applied in the order given
    std::vector<ScheduledTap> taps;
    double tailSeconds = 2.0;
};

struct ChannelPeaks {
    float input = 0.0f; // the plug-in's meters
    float output = 0.0f;
};

struct RenderResult {
    double sampleRate = 0.0;
    std::uint64_t inputFrames = 0;
    std::uint64_t outputFrames = 0;
    std::size_t replacedSamples = 0; // non-finite input samples given as 0
    std::vector<ChannelPeaks> peaks; // per channel
};

// Called after every block with the frames written and, when known, the
// frames there will be.
using RenderProgress = std::function<void(std::uint64_t done, std::optional<std::uint64_t> total)>;

// Reads source to its end and writes every rendered frame to sink (not
// committed). The event at time T is due at sample floor(T x rate) and is
// applied before the first block that starts at or after it; changes before
// taps. Throws what the instances' start-up or the files throw.
RenderResult Render(PluginLibrary& library, AudioSource& source, AudioSink& sink,
                    const RenderJob& job, const RenderProgress& progress = {});
