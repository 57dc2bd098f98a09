// The parameters' values as the last run left them, for a state save: LV2
// lets a host save while the audio thread runs. The run publishes, the save
// reads, and neither waits: a read that overlaps a publish reads again.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class ValueSnapshot {
public:
    // [instantiation] allocates.
    explicit ValueSnapshot(std::size_t count);

    // [audio] no allocation, no throw: value(i) for every parameter.
    template <class Value>
    void publish(Value value)
    {
        const std::uint32_t start = sequence.load(std::memory_order_relaxed);
        sequence.store(start + 1, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
        for (std::size_t i = 0; i < count; ++i)
            values[i].store(value(i), std::memory_order_relaxed);
        sequence.store(start + 2, std::memory_order_release);
    }

    // [any thread] allocates: the values of one publish, whole.
    std::vector<double> read() const;

private:
    static_assert(std::atomic<double>::is_always_lock_free);

    std::size_t count;
    std::unique_ptr<std::atomic<double>[]> values;
    std::atomic<std::uint32_t> sequence{0}; // odd while a publish writes
};
