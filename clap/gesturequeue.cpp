#include "gesturequeue.h"

namespace {

// Each open gesture keeps room for a value that waited and for its end.
constexpr std::size_t kReserve = 2;

} // namespace

GestureQueue::GestureQueue(std::size_t parameters) : gestures(parameters) {}

std::size_t GestureQueue::room() const
{
    const std::size_t used =
        written.load(std::memory_order_relaxed) - read.load(std::memory_order_acquire);
    return kCapacity - used;
}

void GestureQueue::push(const GestureStep& step)
{
    const std::size_t head = written.load(std::memory_order_relaxed);
    slots[head % kCapacity] = step;
    written.store(head + 1, std::memory_order_release);
}

bool GestureQueue::begin(std::uint32_t parameter)
{
    if (parameter >= gestures.size() || gestures[parameter].state != State::closed)
        return false;
    Gesture& gesture = gestures[parameter];
    if (room() < 1 + kReserve + reserved) {
        gesture.state = State::dropped;
        return false;
    }
    push({GestureStep::Kind::begin, parameter, 0.0});
    gesture.state = State::queued;
    gesture.waiting.reset();
    reserved += kReserve;
    return true;
}

bool GestureQueue::change(std::uint32_t parameter, double value)
{
    if (parameter >= gestures.size() || gestures[parameter].state != State::queued)
        return false;
    Gesture& gesture = gestures[parameter];
    if (room() < 1 + reserved) {
        gesture.waiting = value;
        return true;
    }
    gesture.waiting.reset();
    push({GestureStep::Kind::value, parameter, value});
    return true;
}

bool GestureQueue::end(std::uint32_t parameter)
{
    if (parameter >= gestures.size() || gestures[parameter].state == State::closed)
        return false;
    Gesture& gesture = gestures[parameter];
    const bool queued = gesture.state == State::queued;
    if (queued) {
        // The reserve guarantees the room for both.
        if (gesture.waiting)
            push({GestureStep::Kind::value, parameter, *gesture.waiting});
        push({GestureStep::Kind::end, parameter, 0.0});
        reserved -= kReserve;
    }
    gesture = {};
    return queued;
}

bool GestureQueue::endAll()
{
    bool queued = false;
    for (std::uint32_t p = 0; p < gestures.size(); ++p)
        queued = end(p) || queued;
    return queued;
}

bool GestureQueue::open(std::uint32_t parameter) const
{
    return parameter < gestures.size() && gestures[parameter].state != State::closed;
}
