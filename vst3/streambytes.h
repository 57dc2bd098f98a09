// Saved state through a host's stream.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pluginterfaces/base/ibstream.h"

// [any] allocates: everything the stream holds from its position on (a
// read that fails ends it), or nothing for a missing stream or one holding
// more than a state could (1 MiB).
std::optional<std::vector<std::uint8_t>> ReadStream(Steinberg::IBStream* stream);

// [any] no allocation: whether all bytes were written.
bool WriteStream(Steinberg::IBStream* stream, std::span<const std::uint8_t> bytes);
