// Saved state through a CLAP host's streams.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "clap/stream.h"

// [main] allocates: everything the stream holds until it ends, or nothing
// for a missing stream, a read error or more than a state could hold
// (1 MiB).
std::optional<std::vector<std::uint8_t>> ReadStream(const clap_istream_t* stream);

// [main] no allocation: whether all bytes were written.
bool WriteStream(const clap_ostream_t* stream, std::span<const std::uint8_t> bytes);
