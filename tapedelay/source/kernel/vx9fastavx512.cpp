// The batched kernel for processors with AVX-512.
#include "tapedelay/source/kernel/vx9fastkernel.h"

void ProcessFastAvx512(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                       const VX9CoeffPack& coeffs, float* meters)
{
    RunFastKernel(a, frameCount, in, out, coeffs, meters);
}

void SettleFastAvx512(VX9Algorithm& a)
{
    SettleFastKernel(a);
}
