// The batched kernel for processors with AVX2.
#include "tapedelay/source/kernel/vx9fastkernel.h"

void ProcessFastAvx2(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                     const VX9CoeffPack& coeffs, float* meters)
{
    RunFastKernel(a, frameCount, in, out, coeffs, meters);
}

void SettleFastAvx2(VX9Algorithm& a)
{
    SettleFastKernel(a);
}
