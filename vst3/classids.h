// The identities the VST3 plug-in gives itself: its two classes, and the
// parameters it adds to the plug-in's own and the adapter's.
#pragma once

#include <cstdint>

#include "host/effect/adapterparameters.h"
#include "pluginterfaces/base/funknown.h"

inline const Steinberg::FUID kProcessorClass(0xAEC0F683, 0x1B384C2D, 0x96F8AEFB, 0x2CBF06C0);
inline const Steinberg::FUID kControllerClass(0x833F408E, 0x26314D9B, 0x96587229, 0x2AA4210A);

// The preset list's program change; also the list's ID.
inline constexpr std::uint32_t kProgramParameter = CodeOf("prgm");
