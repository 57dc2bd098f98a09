#include "valuesnapshot.h"

ValueSnapshot::ValueSnapshot(std::size_t count)
    : count(count),
      values(std::make_unique<std::atomic<double>[]>(count))
{}

std::vector<double> ValueSnapshot::read() const
{
    std::vector<double> out(count);
    for (;;) {
        const std::uint32_t before = sequence.load(std::memory_order_acquire);
        if (before % 2 != 0)
            continue;
        for (std::size_t i = 0; i < count; ++i)
            out[i] = values[i].load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (sequence.load(std::memory_order_relaxed) == before)
            return out;
    }
}
