// The block routines the algorithm can run, and the choice between them.
#pragma once

#include <cstdint>

#include "tapedelay/source/vx9coeffs.h"

struct VX9Algorithm;

// kPlain is the reference kernel, one sample at a time; the others are the
// batched kernel built for an instruction set: x86-64 without extensions
// (SSE2), AVX2, AVX-512.
enum class VX9Kernel { kPlain, kBaseline, kAvx2, kAvx512 };

// A block routine (audio thread): frameCount (at least 1) samples from `in`
// to `out`, which may be one buffer, with the meters raised in `meters`
// (null: none). Each kernel's file defines its routine.
using VX9KernelRoutine = void (*)(VX9Algorithm& a, std::uint32_t frameCount, const float* in,
                                  float* out, const VX9CoeffPack& coeffs, float* meters);

void ProcessPlain(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                  const VX9CoeffPack& coeffs, float* meters);
void ProcessFastBaseline(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                         const VX9CoeffPack& coeffs, float* meters);
void ProcessFastAvx2(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                     const VX9CoeffPack& coeffs, float* meters);
void ProcessFastAvx512(VX9Algorithm& a, std::uint32_t frameCount, const float* in, float* out,
                       const VX9CoeffPack& coeffs, float* meters);

// Brings the algorithm's state up to the last sample of the last block: the
// batched kernel leaves the band split and tape write of a block's last
// samples to the next block. (The plain kernel leaves nothing.)
using VX9SettleRoutine = void (*)(VX9Algorithm& a);

void SettleFastBaseline(VX9Algorithm& a);
void SettleFastAvx2(VX9Algorithm& a);
void SettleFastAvx512(VX9Algorithm& a);

// The environment variable that asks for a kernel by name.
inline constexpr char kVX9KernelVariable[] = "TAPEDELAY_KERNEL";

// "plain", "baseline", "avx2" or "avx512".
const char* KernelName(VX9Kernel kernel);

// Whether this processor (and its operating system) can run the kernel.
bool KernelRuns(VX9Kernel kernel);

// The kernel for a request (the variable's value, or null): a named kernel
// the processor can run, else the widest batched kernel it can. Any other
// request, or none, gets the widest.
VX9Kernel ChooseKernel(const char* request);

VX9KernelRoutine KernelRoutine(VX9Kernel kernel);
VX9SettleRoutine SettleRoutine(VX9Kernel kernel);
