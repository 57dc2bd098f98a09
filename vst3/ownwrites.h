// The values the plug-in set itself (a note value choosing BPM, a tap),
// passed from the processor's audio thread to the edit controller, which
// tells the host through beginEdit/performEdit/endEdit: only edits that
// come that way are recorded by hosts. One slot per parameter holding its
// latest value and a flag: the audio thread stores and raises, the
// controller's thread takes; no allocation, no lock, and nothing is ever
// full. Intermediate values between two takes are dropped, which is what a
// host would keep anyway.
//
// The processor owns one and hands its address to the controller through
// IConnectionPoint::notify when they are connected (so the two must live in
// one process: the classes are not distributable); both hold a reference.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/source/fobject.h"

class OwnWrites : public Steinberg::FObject {
public:
    // [set-up] allocates.
    explicit OwnWrites(std::size_t parameters)
        : count(parameters),
          slots(std::make_unique<Slot[]>(parameters))
    {}

    // [audio] no allocation, no lock; an index past the parameters is ignored.
    void post(std::size_t index, double normalised)
    {
        if (index >= count)
            return;
        slots[index].value.store(normalised, std::memory_order_relaxed);
        slots[index].raised.store(true, std::memory_order_release);
    }

    // [controller] calls take(index, normalised) for each raised slot, in
    // host order, and lowers it.
    template <class Take>
    void takeAll(Take take)
    {
        for (std::size_t i = 0; i < count; ++i)
            if (slots[i].raised.exchange(false, std::memory_order_acquire))
                take(i, slots[i].value.load(std::memory_order_relaxed));
    }

    OBJ_METHODS(OwnWrites, FObject)

private:
    struct Slot {
        std::atomic<double> value{0.0};
        std::atomic<bool> raised{false};
    };
    std::size_t count;
    std::unique_ptr<Slot[]> slots;
};

// The message that carries the mailbox: its ID and the attribute holding
// its address.
inline constexpr const char* kOwnWritesMessage = "tapedelay.ownWrites";
inline constexpr const char* kOwnWritesAddress = "address";
