// The event lists a CLAP host hands the plug-in: parameter values and
// transport updates at their sample, in time order, for one process or
// flush call; the output list, which takes whatever the plug-in sends
// (the test host reads values through params.get_value instead); and the
// one that logs the gestures and values an editor sends.
#pragma once

#include <clap/events.h>

#include <cstdint>
#include <vector>

#include "host/pluginhost/gesturelog.h"

class ClapInputEvents {
public:
    ClapInputEvents();
    ClapInputEvents(const ClapInputEvents&) = delete;
    ClapInputEvents& operator=(const ClapInputEvents&) = delete;

    // Events must be added in time order.
    void addValue(std::uint32_t time, clap_id id, double value);
    void addTempo(std::uint32_t time, double bpm);
    void clear() { events.clear(); }

    const clap_input_events_t* list() const { return &clapList; }

private:
    union Event {
        clap_event_header_t header;
        clap_event_param_value_t value;
        clap_event_transport_t transport;
    };

    clap_input_events_t clapList{};
    std::vector<Event> events;
};

// A transport that plays at `bpm` (CLAP_TRANSPORT_HAS_TEMPO), as in a
// process call's transport or a CLAP_EVENT_TRANSPORT event at `time`.
clap_event_transport_t TransportAt(std::uint32_t time, double bpm);

// Takes and drops every event.
const clap_output_events_t* DroppingOutputEvents();

// Takes every event; gesture begins and ends and parameter values go to
// the log.
class ClapGestureEvents {
public:
    explicit ClapGestureEvents(GestureLog& log);
    ClapGestureEvents(const ClapGestureEvents&) = delete;
    ClapGestureEvents& operator=(const ClapGestureEvents&) = delete;

    const clap_output_events_t* list() const { return &clapList; }

private:
    clap_output_events_t clapList{};
    GestureLog& log;
};
