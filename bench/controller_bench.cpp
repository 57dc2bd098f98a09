// The controller's operations, as a host automating parameters calls them,
// with blocks that take the notifications and do nothing: the controller's
// own cost per call.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "tapedelay/source/vx9algorithmcontroller.h"

namespace {

struct IdleBlock final : CoeffBlock {
    void DeclareCoeff(std::uint32_t, const char*, std::uint32_t, std::uint32_t, KtTypeId) override
    {}
    void CoeffChanged(std::uint32_t, const void* address) override
    {
        benchmark::DoNotOptimize(address);
    }
    void Publish(const void* address) override { benchmark::DoNotOptimize(address); }
};

struct IdleFactory final : CoeffBlockFactory {
    CoeffBlock* CreateBlock(const char*, std::uint32_t, bool) override { return &block; }
    IdleBlock block;
};

template <class Operation>
void RunOperation(benchmark::State& state, Operation operation)
{
    IdleFactory factory;
    VX9AlgorithmController controller;
    static_cast<IIHux::AlgorithmController&>(controller).Setup(HuxSetup{0.0, 48000.0f}, &factory);
    IIVX9Controller& ops = *controller.GetControllerInterface();
    ops.setMode(1);
    std::uint32_t i = 0;
    for (auto _ : state)
        operation(ops, i++);
}

void BM_SetDelayTime(benchmark::State& state)
{
    RunOperation(state, [](IIVX9Controller& ops, std::uint32_t i) {
        ops.setDelayTime(0.1 + (i & 1023) * 1e-3);
    });
}

void BM_SetFeedback(benchmark::State& state)
{
    RunOperation(state, [](IIVX9Controller& ops, std::uint32_t i) {
        ops.setFeedback(1.0 + (i & 1023) * (8.0 / 1024));
    });
}

void BM_SetBlend(benchmark::State& state)
{
    RunOperation(state, [](IIVX9Controller& ops, std::uint32_t i) {
        ops.setBlend(1.0 + (i & 1023) * (8.0 / 1024));
    });
}

void BM_SetTone(benchmark::State& state)
{
    RunOperation(state, [](IIVX9Controller& ops, std::uint32_t i) { ops.setTone(i % 3); });
}

void BM_SetMode(benchmark::State& state)
{
    RunOperation(state, [](IIVX9Controller& ops, std::uint32_t i) { ops.setMode(i % 3); });
}

} // namespace

BENCHMARK(BM_SetDelayTime);
BENCHMARK(BM_SetFeedback);
BENCHMARK(BM_SetBlend);
BENCHMARK(BM_SetTone);
BENCHMARK(BM_SetMode);
