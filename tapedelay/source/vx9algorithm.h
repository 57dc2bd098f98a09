// The tape delay's audio algorithm.
#pragma once

#include <cstdint>

#include "hux/public/plugin/hux.h"

struct VX9Algorithm final : HuxAlgorithm<VX9Algorithm> {
    virtual ~VX9Algorithm();

    ProcessMember SetupAlgorithm(const HuxSetup& setup) override;
    void ResetAlgorithm(HuxCoeffHandle& coeffs) override;

    // The block routine (audio thread).
    void Process(std::uint64_t reserved1, std::uint32_t frameCount, std::uint64_t reserved2,
                 const float* const* inputs, std::int32_t reserved3, float* const* outputs,
                 HuxCoeffHandle& coeffs);
};
