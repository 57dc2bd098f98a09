#include "vx9kernel.h"

#include <cstring>
#include <initializer_list>

namespace {
constexpr VX9Kernel kAll[] = {VX9Kernel::kPlain, VX9Kernel::kBaseline, VX9Kernel::kAvx2,
                              VX9Kernel::kAvx512};
} // namespace

const char* KernelName(VX9Kernel kernel)
{
    switch (kernel) {
    case VX9Kernel::kPlain: return "plain";
    case VX9Kernel::kBaseline: return "baseline";
    case VX9Kernel::kAvx2: return "avx2";
    case VX9Kernel::kAvx512: return "avx512";
    }
    return "plain";
}

bool KernelRuns(VX9Kernel kernel)
{
    // The checks include the operating system's support for the registers.
    switch (kernel) {
    case VX9Kernel::kPlain:
    case VX9Kernel::kBaseline: return true;
    case VX9Kernel::kAvx2: return __builtin_cpu_supports("avx2");
    case VX9Kernel::kAvx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2");
    }
    return false;
}

VX9Kernel ChooseKernel(const char* request)
{
    if (request != nullptr)
        for (const VX9Kernel kernel : kAll)
            if (std::strcmp(request, KernelName(kernel)) == 0 && KernelRuns(kernel))
                return kernel;
    for (const VX9Kernel kernel : {VX9Kernel::kAvx512, VX9Kernel::kAvx2})
        if (KernelRuns(kernel))
            return kernel;
    return VX9Kernel::kBaseline;
}
