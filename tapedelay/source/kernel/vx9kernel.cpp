#include "tapedelay/source/kernel/vx9kernel.h"

#include <cstring>

namespace {
struct KernelEntry {
    VX9Kernel kernel;
    const char* name;
    VX9KernelRoutine routine;
    VX9SettleRoutine settle;
    bool (*runs)(); // includes the operating system's support for the registers
};

// Every kernel, narrowest first.
constexpr KernelEntry kKernels[] = {
    {VX9Kernel::kPlain, "plain", &ProcessPlain, [](VX9Algorithm&) {}, [] { return true; }},
    {VX9Kernel::kBaseline, "baseline", &ProcessFastBaseline, &SettleFastBaseline,
     [] { return true; }},
    {VX9Kernel::kAvx2, "avx2", &ProcessFastAvx2, &SettleFastAvx2,
     [] { return __builtin_cpu_supports("avx2") != 0; }},
    {VX9Kernel::kAvx512, "avx512", &ProcessFastAvx512, &SettleFastAvx512,
     [] { return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx2") != 0; }},
};

const KernelEntry& Entry(VX9Kernel kernel)
{
    for (const KernelEntry& entry : kKernels)
        if (entry.kernel == kernel)
            return entry;
    return kKernels[0];
}
} // namespace

const char* KernelName(VX9Kernel kernel)
{
    return Entry(kernel).name;
}

bool KernelRuns(VX9Kernel kernel)
{
    return Entry(kernel).runs();
}

VX9Kernel ChooseKernel(const char* request)
{
    if (request != nullptr)
        for (const KernelEntry& entry : kKernels)
            if (std::strcmp(request, entry.name) == 0 && entry.runs())
                return entry.kernel;
    // The widest batched kernel the processor runs; the plain one never.
    VX9Kernel widest = VX9Kernel::kBaseline;
    for (const KernelEntry& entry : kKernels)
        if (entry.kernel != VX9Kernel::kPlain && entry.runs())
            widest = entry.kernel;
    return widest;
}

VX9KernelRoutine KernelRoutine(VX9Kernel kernel)
{
    return Entry(kernel).routine;
}

VX9SettleRoutine SettleRoutine(VX9Kernel kernel)
{
    return Entry(kernel).settle;
}
