// The block routines the algorithm can run, and the choice between them.
#pragma once

// kPlain is the reference kernel, one sample at a time; the others are the
// batched kernel built for an instruction set: x86-64 without extensions
// (SSE2), AVX2, AVX-512.
enum class VX9Kernel { kPlain, kBaseline, kAvx2, kAvx512 };

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
