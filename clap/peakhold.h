// A meter's peak held from the audio thread to the editor's next tick: the
// largest value raised since it was last taken. Lock-free and
// allocation-free on both sides.
#pragma once

#include <algorithm>
#include <atomic>

class PeakHold {
public:
    // [any] no allocation, no lock; NaN and values at or below 0 leave it.
    void raise(float peak)
    {
        float held = value.load(std::memory_order_relaxed);
        while (peak > held && !value.compare_exchange_weak(held, peak, std::memory_order_relaxed))
            ;
    }
    // [ui] the peak since the last take, within 0 to 1, and a fresh start.
    float take() { return std::min(value.exchange(0.0f, std::memory_order_relaxed), 1.0f); }

private:
    std::atomic<float> value{0.0f};
};
