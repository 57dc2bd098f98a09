#include "statehandoff.h"

StateHandoff::~StateHandoff()
{
    delete pending.load();
    delete spent.load();
}

void StateHandoff::publish(std::unique_ptr<EffectState> state)
{
    freeSpent();
    delete pending.exchange(state.release(), std::memory_order_acq_rel);
    freeSpent();
}

void StateHandoff::freeSpent()
{
    delete spent.exchange(nullptr, std::memory_order_acq_rel);
}
