#include "clapevents.h"

ClapInputEvents::ClapInputEvents()
{
    clapList.ctx = this;
    clapList.size = [](const clap_input_events_t* list) {
        return static_cast<std::uint32_t>(static_cast<ClapInputEvents*>(list->ctx)->events.size());
    };
    clapList.get = [](const clap_input_events_t* list,
                      std::uint32_t index) -> const clap_event_header_t* {
        const std::vector<Event>& events = static_cast<ClapInputEvents*>(list->ctx)->events;
        return index < events.size() ? &events[index].header : nullptr;
    };
}

void ClapInputEvents::addValue(std::uint32_t time, clap_id id, double value)
{
    Event event{};
    event.value.header = {sizeof(clap_event_param_value_t), time, CLAP_CORE_EVENT_SPACE_ID,
                          CLAP_EVENT_PARAM_VALUE, 0};
    event.value.param_id = id;
    event.value.cookie = nullptr;
    event.value.note_id = -1;
    event.value.port_index = -1;
    event.value.channel = -1;
    event.value.key = -1;
    event.value.value = value;
    events.push_back(event);
}

void ClapInputEvents::addTempo(std::uint32_t time, double bpm)
{
    Event event{};
    event.transport = TransportAt(time, bpm);
    events.push_back(event);
}

clap_event_transport_t TransportAt(std::uint32_t time, double bpm)
{
    clap_event_transport_t transport{};
    transport.header = {sizeof(clap_event_transport_t), time, CLAP_CORE_EVENT_SPACE_ID,
                        CLAP_EVENT_TRANSPORT, 0};
    transport.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_IS_PLAYING;
    transport.tempo = bpm;
    return transport;
}

const clap_output_events_t* DroppingOutputEvents()
{
    static const clap_output_events_t events{
        nullptr, [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
    return &events;
}

ClapGestureEvents::ClapGestureEvents(GestureLog& log) : log(log)
{
    clapList.ctx = this;
    clapList.try_push = [](const clap_output_events_t* list, const clap_event_header_t* event) {
        if (event == nullptr || event->space_id != CLAP_CORE_EVENT_SPACE_ID)
            return true;
        GestureLog& log = static_cast<ClapGestureEvents*>(list->ctx)->log;
        if ((event->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ||
             event->type == CLAP_EVENT_PARAM_GESTURE_END) &&
            event->size >= sizeof(clap_event_param_gesture_t)) {
            const auto* gesture = reinterpret_cast<const clap_event_param_gesture_t*>(event);
            if (event->type == CLAP_EVENT_PARAM_GESTURE_BEGIN)
                log.begin(gesture->param_id);
            else
                log.end(gesture->param_id);
        } else if (event->type == CLAP_EVENT_PARAM_VALUE &&
                   event->size >= sizeof(clap_event_param_value_t)) {
            const auto* value = reinterpret_cast<const clap_event_param_value_t*>(event);
            log.value(value->param_id, value->value);
        }
        return true;
    };
}
