// The host's tempo, read from the time:Position objects in the transport
// port's atom sequence. Every size is checked against the sequence's own, so
// a malformed or short buffer (lilv's tools connect a single float holding
// 0) reads as no events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include <lv2/urid/urid.h>

struct TempoEvent {
    std::uint32_t frame = 0; // within the run
    double bpm = 0.0;
};

class TransportReader {
public:
    // Without a URI map nothing can be read, and no event is found.
    explicit TransportReader(const LV2_URID_Map* map);

    // The tempo events in the sequence at port, in order, at most
    // out.size() of them: later ones replace the last. Events at or after
    // frames are placed at frames. Returns how many were written.
    std::size_t read(const void* port, std::uint32_t frames, std::span<TempoEvent> out) const;

private:
    bool usable = false;
    LV2_URID sequence = 0;
    LV2_URID object = 0;
    LV2_URID blank = 0;
    LV2_URID position = 0;
    LV2_URID beatsPerMinute = 0;
    LV2_URID atomFloat = 0;
    LV2_URID atomDouble = 0;
    LV2_URID atomInt = 0;
    LV2_URID atomLong = 0;
    LV2_URID beatTime = 0;

    bool readTempo(const std::uint8_t* body, std::uint32_t size, std::uint32_t type,
                   double& bpm) const;
    bool readNumber(const std::uint8_t* body, std::uint32_t size, std::uint32_t type,
                    double& value) const;
};
