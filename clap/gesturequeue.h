// The editor's gestures on their way from the main thread to the audio
// thread, which turns them into the host's gesture and value events in the
// next process or flush: a fixed-size single-producer single-consumer ring,
// lock-free and allocation-free after construction.
//
// A full queue never leaves half a gesture: every gesture it takes keeps
// two slots in reserve for its last value and its end. When there is no
// room for a new gesture with its reserve, the newest gesture is dropped
// whole (its begin, values and end); a value of a gesture already under way
// that finds no room waits, only the latest kept, and goes out just before
// that gesture's end.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct GestureStep {
    enum class Kind : std::uint8_t { begin, value, end };
    Kind kind = Kind::begin;
    std::uint32_t parameter = 0; // its position in the plug-in's parameter list
    double value = 0.0;
};

class GestureQueue {
public:
    static constexpr std::size_t kCapacity = 512;

    // [main] allocates: one slot of bookkeeping per parameter.
    explicit GestureQueue(std::size_t parameters);

    // [main] the producer's side; each returns whether the step was queued
    // (or, for a value, kept for the end). A parameter out of range, a
    // begin while its gesture is open, or a value or end outside one is
    // ignored.
    bool begin(std::uint32_t parameter);
    bool change(std::uint32_t parameter, double value);
    bool end(std::uint32_t parameter);
    // [main] ends every gesture still open (the editor is closing); whether
    // any end was queued.
    bool endAll();
    // [main] whether the editor's gesture on a parameter is open (queued or
    // dropped).
    bool open(std::uint32_t parameter) const;

    // [audio] the consumer's side: take(step) for every queued step, oldest
    // first. No allocation, no lock.
    template <class Take>
    void drain(Take take)
    {
        const std::size_t head = written.load(std::memory_order_acquire);
        std::size_t tail = read.load(std::memory_order_relaxed);
        for (; tail != head; ++tail)
            take(slots[tail % kCapacity]);
        read.store(tail, std::memory_order_release);
    }

private:
    enum class State : std::uint8_t { closed, queued, dropped };
    struct Gesture {
        State state = State::closed;
        std::optional<double> waiting; // a value that found no room
    };

    std::size_t room() const;
    void push(const GestureStep& step);

    GestureStep slots[kCapacity];
    std::atomic<std::size_t> written{0}; // by the producer
    std::atomic<std::size_t> read{0};    // by the consumer
    std::vector<Gesture> gestures;       // the producer's own, by parameter
    std::size_t reserved = 0;            // slots kept for open gestures' ends
};
