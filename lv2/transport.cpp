#include "transport.h"

#include <cmath>
#include <cstring>

#include <lv2/atom/atom.h>
#include <lv2/time/time.h>

namespace {

// Atoms and events are padded to 8 bytes.
constexpr std::uint64_t padded(std::uint64_t size)
{
    return (size + 7) & ~std::uint64_t{7};
}

template <class T>
T load(const std::uint8_t* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

TransportReader::TransportReader(const LV2_URID_Map* map)
{
    if (map == nullptr)
        return;
    const auto urid = [map](const char* uri) { return map->map(map->handle, uri); };
    usable = true;
    sequence = urid(LV2_ATOM__Sequence);
    object = urid(LV2_ATOM__Object);
    blank = urid(LV2_ATOM__Blank);
    position = urid(LV2_TIME__Position);
    beatsPerMinute = urid(LV2_TIME__beatsPerMinute);
    atomFloat = urid(LV2_ATOM__Float);
    atomDouble = urid(LV2_ATOM__Double);
    atomInt = urid(LV2_ATOM__Int);
    atomLong = urid(LV2_ATOM__Long);
    beatTime = urid(LV2_ATOM__beatTime);
}

std::size_t TransportReader::read(const void* port, std::uint32_t frames,
                                  std::span<TempoEvent> out) const
{
    if (!usable || port == nullptr || out.empty())
        return 0;
    const auto* atom = static_cast<const std::uint8_t*>(port);
    // The size first: a buffer may hold no more than it.
    const auto size = load<std::uint32_t>(atom);
    if (size < sizeof(LV2_Atom_Sequence_Body) || load<std::uint32_t>(atom + 4) != sequence)
        return 0;
    const std::uint8_t* body = atom + sizeof(LV2_Atom);
    // Events timed in beats carry no frame: they count from the run's start.
    const bool inFrames = load<std::uint32_t>(body) != beatTime;

    std::size_t found = 0;
    for (std::uint64_t at = sizeof(LV2_Atom_Sequence_Body); at + sizeof(LV2_Atom_Event) <= size;) {
        const std::uint8_t* event = body + at;
        const auto eventSize = load<std::uint32_t>(event + 8);
        const auto eventType = load<std::uint32_t>(event + 12);
        const std::uint64_t end = at + sizeof(LV2_Atom_Event) + eventSize;
        if (end > size)
            break;
        double bpm = 0.0;
        if (readTempo(event + sizeof(LV2_Atom_Event), eventSize, eventType, bpm)) {
            const std::int64_t time = inFrames ? load<std::int64_t>(event) : 0;
            const std::uint32_t frame = time <= 0        ? 0
                                        : time >= frames ? frames
                                                         : static_cast<std::uint32_t>(time);
            found = found < out.size() ? found + 1 : found;
            out[found - 1] = {frame, bpm};
        }
        at = padded(end);
    }
    return found;
}

bool TransportReader::readTempo(const std::uint8_t* body, std::uint32_t size, std::uint32_t type,
                                double& bpm) const
{
    if ((type != object && type != blank) || size < sizeof(LV2_Atom_Object_Body) ||
        load<std::uint32_t>(body + 4) != position)
        return false;
    bool found = false;
    for (std::uint64_t at = sizeof(LV2_Atom_Object_Body);
         at + sizeof(LV2_Atom_Property_Body) <= size;) {
        const std::uint8_t* property = body + at;
        const auto key = load<std::uint32_t>(property);
        const auto valueSize = load<std::uint32_t>(property + 8);
        const auto valueType = load<std::uint32_t>(property + 12);
        const std::uint64_t end = at + sizeof(LV2_Atom_Property_Body) + valueSize;
        if (end > size)
            break;
        double value = 0.0;
        if (key == beatsPerMinute &&
            readNumber(property + sizeof(LV2_Atom_Property_Body), valueSize, valueType, value) &&
            std::isfinite(value) && value > 0.0) {
            bpm = value;
            found = true;
        }
        at = padded(end);
    }
    return found;
}

bool TransportReader::readNumber(const std::uint8_t* body, std::uint32_t size, std::uint32_t type,
                                 double& value) const
{
    if (type == atomFloat && size >= sizeof(float))
        value = load<float>(body);
    else if (type == atomDouble && size >= sizeof(double))
        value = load<double>(body);
    else if (type == atomInt && size >= sizeof(std::int32_t))
        value = load<std::int32_t>(body);
    else if (type == atomLong && size >= sizeof(std::int64_t))
        value = static_cast<double>(load<std::int64_t>(body));
    else
        return false;
    return true;
}
