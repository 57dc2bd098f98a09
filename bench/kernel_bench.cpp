// The block kernels at the common host rates, side by side with the floor
// proxy: 512-frame blocks, a Retro voicing with feedback near the top and a
// dotted-eighth delay at 120 BPM, noise input.
//
//   BM_Kernel/plain/rate:R   the reference kernel, one sample at a time
//   BM_Kernel/fast/rate:R    the batched kernel this processor gets (label)
//   BM_Kernel/avx2, /baseline  the narrower builds of the batched kernel
//   BM_FloorProxy/rate:R     only the kernel's dot products, each summed in
//                            order, one sample after another: what the
//                            plain kernel cannot beat
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "blockbench.h"
#include "kernelinputs.h"

namespace {

void BM_Kernel(benchmark::State& state, VX9Kernel requested)
{
    const auto m = MachineAt(state);
    if (!m)
        return;
    const auto rate = static_cast<double>(state.range(0));
    m->algorithm->SelectKernel(requested);
    state.SetLabel(KernelName(m->algorithm->kernel));
    VoiceFromController(m->t, static_cast<float>(rate), kRetro, kNormal, 0.375, 8.0);
    m->reset();

    RunBlocks(state, rate, kBlock, [&](const float* in, float* out, std::uint32_t frames) {
        m->block(in, out, frames);
    });
}

// A sequential sum of count products, as the kernel's dot products are.
template <class Sample, class Weight>
double Dot(const Sample* samples, const Weight* weights, int count)
{
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        sum += static_cast<double>(samples[i]) * static_cast<double>(weights[i]);
    return sum;
}

void BM_FloorProxy(benchmark::State& state)
{
    const auto m = MachineAt(state);
    if (!m)
        return;
    const VX9Algorithm& a = *m->algorithm;
    const DotInputs d(a);
    const int taps = d.taps;
    const int factor = d.factor;
    const int upTaps = d.upTaps;
    const int downTaps = a.resampler.DownTaps();
    const float* table = a.interpTable.get();

    RunBlocks(state, static_cast<double>(state.range(0)), kBlock,
              [&](const float*, float* out, std::uint32_t frames) {
                  for (std::uint32_t k = 0; k < frames; ++k) {
                      // Rows wander as the flutter moves the head.
                      const float* row0 = table + ((k * 97u) & 511u) * taps;
                      const float* comb0 = table + ((k * 13u) & 511u) * taps;
                      const float* tape = d.tape.data() + k;
                      const float* ring = d.ring.data() + k;
                      double sum = Dot(tape, row0, taps) + Dot(tape, row0 + taps, taps);
                      sum += Dot(ring, comb0, taps) + Dot(ring, comb0 + taps, taps);
                      for (int j = 0; j < factor; ++j)
                          sum += Dot(d.up.data() + k, a.resampler.UpCoeffs() + j * upTaps, upTaps);
                      sum += Dot(d.down.data() + k * factor, a.resampler.DownCoeffs(), downTaps);
                      out[k] = static_cast<float>(sum);
                  }
              });
}

BENCHMARK_CAPTURE(BM_Kernel, plain, VX9Kernel::kPlain)->Apply(Rates);
BENCHMARK_CAPTURE(BM_Kernel, fast, VX9Kernel::kAvx512)->Apply(Rates);
// The narrower builds of the batched kernel, for processors without AVX-512.
BENCHMARK_CAPTURE(BM_Kernel, avx2, VX9Kernel::kAvx2)->Apply(Rates);
BENCHMARK_CAPTURE(BM_Kernel, baseline, VX9Kernel::kBaseline)->Apply(Rates);
BENCHMARK(BM_FloorProxy)->Apply(Rates);

} // namespace

BENCHMARK_MAIN();
