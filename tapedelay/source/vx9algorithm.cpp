#include "vx9algorithm.h"

VX9Algorithm::~VX9Algorithm() = default;

VX9Algorithm::ProcessMember VX9Algorithm::SetupAlgorithm(const HuxSetup&)
{
    return &VX9Algorithm::Process;
}

void VX9Algorithm::ResetAlgorithm(HuxCoeffHandle&) {}

void VX9Algorithm::Process(std::uint64_t, std::uint32_t, std::uint64_t, const float* const*,
                           std::int32_t, float* const*, HuxCoeffHandle&)
{
}
