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
#include "renderjob.h"

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
