// An effect's saved state: its parameters' values by four-character code,
// as bytes a host stores in its project. The format is our own and
// versioned: "TDST", a version, the count, then code and value pairs, and a
// CRC-32 of all before it (integers little-endian, values IEEE doubles).
// Unknown codes are kept and skipped on restore; a blob that is short,
// truncated, of a later version, or fails its checksum is refused whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct EffectState {
    // (four-character code, value), in host order.
    std::vector<std::pair<std::uint32_t, double>> values;
};

inline constexpr std::uint32_t kEffectStateVersion = 1;

// [any] allocates, no throw. A value that is not a finite number is left
// out, as reading it back would refuse the whole state.
std::vector<std::uint8_t> WriteEffectState(const EffectState& state);

// [any] allocates, no throw: the state, or why the bytes are refused (one
// line, "truncated", "not a tape delay state", ...).
struct ReadStateResult {
    std::optional<EffectState> state;
    std::string refusal;
};
ReadStateResult ReadEffectState(std::span<const std::uint8_t> bytes);
