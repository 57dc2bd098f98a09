// The parameters every plug-in format's adapter adds to the plug-in's own
// (whose identifiers are their four-character codes): the Tap control and
// the meters.
#pragma once

#include <cstdint>

// A four-character code as a constant: the first character most significant.
constexpr std::uint32_t CodeOf(const char (&code)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

// Momentary: a rising edge is a tap.
inline constexpr std::uint32_t kTapParameter = CodeOf("tapb");
// The peaks of the last block, input and output, as linear values 0 to 1.
inline constexpr std::uint32_t kMeterParameters[2] = {CodeOf("mtri"), CodeOf("mtro")};
inline constexpr const char* kMeterNames[2] = {"Input Peak", "Output Peak"};
