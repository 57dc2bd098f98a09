#include "gestureevents.h"

namespace {

clap_event_header_t Header(std::uint32_t size, std::uint16_t type)
{
    return {size, 0, CLAP_CORE_EVENT_SPACE_ID, type, 0};
}

clap_event_param_value_t ValueEvent(clap_id id, double value)
{
    clap_event_param_value_t event{};
    event.header = Header(sizeof event, CLAP_EVENT_PARAM_VALUE);
    event.param_id = id;
    event.note_id = event.port_index = event.channel = event.key = -1;
    event.value = value;
    return event;
}

} // namespace

GestureEvents::GestureEvents(const ClapParameters& parameters) : parameters(parameters)
{
    values.reserve(GestureQueue::kCapacity);
    merged.ctx = this;
    merged.size = [](const clap_input_events_t* self) {
        const auto& events = *static_cast<const GestureEvents*>(self->ctx);
        return static_cast<std::uint32_t>(events.values.size()) + events.hostCount;
    };
    merged.get = [](const clap_input_events_t* self,
                    std::uint32_t index) -> const clap_event_header_t* {
        const auto& events = *static_cast<const GestureEvents*>(self->ctx);
        if (index < events.values.size())
            return &events.values[index].header;
        index -= static_cast<std::uint32_t>(events.values.size());
        return index < events.hostCount ? events.hostEvents->get(events.hostEvents, index)
                                        : nullptr;
    };
}

const clap_input_events_t* GestureEvents::take(GestureQueue& queue, const clap_input_events_t* in,
                                               const clap_output_events_t* out)
{
    values.clear();
    queue.drain([&](const GestureStep& step) {
        send(out, step);
        if (step.kind != GestureStep::Kind::value)
            return;
        // At most a full queue's: within the capacity.
        values.push_back(ValueEvent(parameters.at(step.parameter)->info.id, step.value));
    });
    hostEvents = in != nullptr && in->size != nullptr && in->get != nullptr ? in : nullptr;
    hostCount = hostEvents != nullptr ? hostEvents->size(hostEvents) : 0;
    return &merged;
}

void GestureEvents::send(const clap_output_events_t* out, const GestureStep& step) const
{
    if (out == nullptr || out->try_push == nullptr)
        return;
    const clap_id id = parameters.at(step.parameter)->info.id;
    if (step.kind == GestureStep::Kind::value) {
        const clap_event_param_value_t event = ValueEvent(id, step.value);
        out->try_push(out, &event.header);
        return;
    }
    clap_event_param_gesture_t event{};
    event.header =
        Header(sizeof event, step.kind == GestureStep::Kind::begin ? CLAP_EVENT_PARAM_GESTURE_BEGIN
                                                                   : CLAP_EVENT_PARAM_GESTURE_END);
    event.param_id = id;
    out->try_push(out, &event.header);
}
