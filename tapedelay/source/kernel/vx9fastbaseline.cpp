// The batched kernel for every x86-64 processor (SSE2 lanes).
#include "tapedelay/source/kernel/vx9fastkernel.h"

void ProcessFastBaseline(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                         const VX9CoeffPack& coeffs, float* meters)
{
    RunFastKernel(a, frameCount, in, out, coeffs, meters);
}

void SettleFastBaseline(VX9Algorithm& a)
{
    SettleFastKernel(a);
}
