#include "eventinput.h"

#include <algorithm>

EventInput::EventInput(const ClapParameters& parameters, std::size_t capacity)
    : parameters(parameters)
{
    events.reserve(std::max<std::size_t>(capacity, 2));
}

void EventInput::begin(const clap_input_events_t* input, const clap_event_transport_t* transport)
{
    in = input != nullptr && input->size != nullptr && input->get != nullptr ? input : nullptr;
    count = in != nullptr ? in->size(in) : 0;
    read = 0;
    blockTransport = transport;
}

std::span<const EffectEvent> EventInput::next(std::uint32_t from, std::uint32_t frames,
                                              std::uint32_t& end)
{
    events.clear();
    if (blockTransport != nullptr) {
        addTempo(*blockTransport, 0);
        blockTransport = nullptr;
    }
    for (; read < count && events.size() < events.capacity(); ++read)
        if (const clap_event_header_t* header = in->get(in, read))
            add(*header, from);
    end = frames;
    if (read < count)
        if (const clap_event_header_t* header = in->get(in, read))
            end = std::clamp(header->time, from, frames);
    return events;
}

void EventInput::add(const clap_event_header_t& header, std::uint32_t from)
{
    if (header.space_id != CLAP_CORE_EVENT_SPACE_ID)
        return;
    // Out of order: at the start of the run.
    const std::uint32_t frame = header.time > from ? header.time - from : 0;
    if (header.type == CLAP_EVENT_TRANSPORT && header.size >= sizeof(clap_event_transport_t)) {
        addTempo(reinterpret_cast<const clap_event_transport_t&>(header), frame);
        return;
    }
    if (header.type != CLAP_EVENT_PARAM_VALUE || header.size < sizeof(clap_event_param_value_t))
        return;
    const auto& change = reinterpret_cast<const clap_event_param_value_t&>(header);
    const ClapParameter* parameter = parameters.find(change.param_id);
    if (parameter == nullptr || (parameter->info.flags & CLAP_PARAM_IS_READONLY) != 0)
        return;
    if (parameter->role == ClapParameter::Role::tap)
        events.push_back({frame, EffectEvent::Kind::tap, 0, change.value});
    else
        events.push_back({frame, EffectEvent::Kind::change,
                          static_cast<std::uint32_t>(parameter->index), change.value});
}

void EventInput::addTempo(const clap_event_transport_t& transport, std::uint32_t frame)
{
    if ((transport.flags & CLAP_TRANSPORT_HAS_TEMPO) == 0 || tempo == transport.tempo)
        return;
    tempo = transport.tempo;
    events.push_back({frame, EffectEvent::Kind::tempo, 0, transport.tempo});
}
