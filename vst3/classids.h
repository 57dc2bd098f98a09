// The identities the VST3 plug-in gives itself: its two classes, and the
// parameters it adds to the plug-in's own (whose IDs are their
// four-character codes).
#pragma once

#include <cstdint>

#include "pluginterfaces/base/funknown.h"

inline const Steinberg::FUID kProcessorClass(0xAEC0F683, 0x1B384C2D, 0x96F8AEFB, 0x2CBF06C0);
inline const Steinberg::FUID kControllerClass(0x833F408E, 0x26314D9B, 0x96587229, 0x2AA4210A);

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
// The preset list's program change; also the list's ID.
inline constexpr std::uint32_t kProgramParameter = CodeOf("prgm");
// The peaks of the last block, input and output (the meters' positions).
inline constexpr std::uint32_t kMeterParameters[2] = {CodeOf("mtri"), CodeOf("mtro")};
