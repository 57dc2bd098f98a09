// A restored state on its way from the thread that parsed it to the audio
// thread, without allocation, lock or release there. The setter publishes
// a parsed state; the audio thread takes it whole at the start of a block,
// restores it and leaves it in a spent slot that only the setter's thread
// frees. The audio thread takes a state only while the spent slot is empty,
// and the setter empties it before and after publishing, so a state waits
// at most one block.
#pragma once

#include <atomic>
#include <memory>

#include "host/effect/effectstate.h"

class StateHandoff {
public:
    StateHandoff() = default;
    ~StateHandoff();
    StateHandoff(const StateHandoff&) = delete;
    StateHandoff& operator=(const StateHandoff&) = delete;

    // [setter] frees what the audio thread is done with; a state published
    // earlier and not yet taken is replaced.
    void publish(std::unique_ptr<EffectState> state);

    // [audio] no allocation, no lock: calls apply(state) with the state
    // published last, when there is one; at most one per call.
    template <class Apply>
    void take(Apply apply)
    {
        if (pending.load(std::memory_order_acquire) == nullptr ||
            spent.load(std::memory_order_acquire) != nullptr)
            return;
        EffectState* state = pending.exchange(nullptr, std::memory_order_acq_rel);
        if (state == nullptr)
            return;
        apply(static_cast<const EffectState&>(*state));
        spent.store(state, std::memory_order_release);
    }

    // [setter] the state published and not yet taken, or null.
    const EffectState* waiting() const { return pending.load(std::memory_order_acquire); }

private:
    void freeSpent();

    std::atomic<EffectState*> pending{nullptr};
    std::atomic<EffectState*> spent{nullptr};
};
