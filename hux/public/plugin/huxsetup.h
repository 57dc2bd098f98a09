// Records shared by the wrapper, the algorithm and the controller.
#pragma once

#include <cstdint>

// The set-up record given to the algorithm's and the controller's Setup.
struct HuxSetup {
    double leading = 0.0;    // stored, never read by the system
    float sampleRate = 0.0f; // the host's sample rate in Hz
};

// The wrapper's view of the published coefficient data, passed unchanged to
// Reset and to every block call. The product defines what it points to.
using HuxCoeffHandle = void*;

// A four-character code: the first character in the most significant byte.
constexpr std::uint32_t HuxFourCC(const char (&code)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

// Where the framework's raises and failure records point.
inline constexpr const char* kHuxSource = "hux/public/plugin/hux";
inline constexpr std::uint32_t kHuxUnimplementedLine = 201;
inline constexpr std::uint32_t kHuxSetupFailedLine = 572;
inline constexpr std::uint32_t kHuxResetFailedLine = 603;
