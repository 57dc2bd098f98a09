// The editor's gestures as a block's events: each queued step goes out to
// the host as a gesture begin, value or end event, and each value comes in
// with the host's own events, first and at frame 0, as if the host had sent
// it.
//
// Threads: [audio, or main while inactive] for take; nothing allocates.
#pragma once

#include <cstdint>
#include <vector>

#include "clap/events.h"
#include "gesturequeue.h"
#include "parameters.h"

class GestureEvents {
public:
    // [main] allocates room for a full queue's values.
    explicit GestureEvents(const ClapParameters& parameters);
    GestureEvents(const GestureEvents&) = delete;
    GestureEvents& operator=(const GestureEvents&) = delete;

    // Drains the queue into out (which may be null) and returns the block's
    // input events: the editor's values, then the host's (in may be null).
    // Valid until the next take.
    const clap_input_events_t* take(GestureQueue& queue, const clap_input_events_t* in,
                                    const clap_output_events_t* out);

private:
    void send(const clap_output_events_t* out, const GestureStep& step) const;

    const ClapParameters& parameters;
    std::vector<clap_event_param_value_t> values; // capacity fixed at construction
    const clap_input_events_t* hostEvents = nullptr;
    std::uint32_t hostCount = 0;
    clap_input_events_t merged{};
};
