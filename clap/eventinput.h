// A CLAP host's input events as the adapter core's events: parameter values
// at their sample (the Tap control's as taps), and the transport's tempo as
// the session tempo, handed over in runs that fit a fixed capacity.
//
// Threads: [audio] for every call but the constructor; nothing allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "clap/events.h"
#include "host/effect/effect.h"
#include "parameters.h"

class EventInput {
public:
    // [set-up] allocates room for capacity events per run.
    EventInput(const ClapParameters& parameters, std::size_t capacity);

    // Takes a block's events (in may be null) and its transport (null when
    // the host runs free).
    void begin(const clap_input_events_t* in, const clap_event_transport_t* transport);
    // The next run: the events from frame `from` on, as many as fit, with
    // frames relative to `from`, and the frame where the run ends (frames
    // when every event fitted). Call until it ends at frames.
    std::span<const EffectEvent> next(std::uint32_t from, std::uint32_t frames, std::uint32_t& end);
    // Whether every event of the block was handed over.
    bool exhausted() const { return read >= count; }
    // The tempo last given is forgotten: the next transport sets it again.
    void reset() { tempo.reset(); }

private:
    void add(const clap_event_header_t& header, std::uint32_t from);
    void addTempo(const clap_event_transport_t& transport, std::uint32_t frame);

    const ClapParameters& parameters;
    std::vector<EffectEvent> events; // capacity fixed at construction
    const clap_input_events_t* in = nullptr;
    std::uint32_t count = 0;
    std::uint32_t read = 0;
    const clap_event_transport_t* blockTransport = nullptr; // until the first run takes it
    std::optional<double> tempo;
};
