// The block sizes a render runs with: all of the longest size, or sizes
// drawn from 1 to it by a seed (xorshift64, the same sequence on every
// platform).
#pragma once

#include <cstdint>
#include <optional>

class BlockSizes {
public:
    BlockSizes(std::uint32_t longest, std::optional<std::uint32_t> seed)
        : longest(longest),
          random(seed.has_value()),
          state(2 * std::uint64_t{seed.value_or(0)} + 1)
    {}

    std::uint32_t next()
    {
        if (!random)
            return longest;
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<std::uint32_t>(1 + state % longest);
    }

private:
    std::uint32_t longest;
    bool random;
    std::uint64_t state; // starts odd: xorshift never reaches 0, where it would stay
};
