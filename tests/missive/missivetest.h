// Helpers shared by the message tests: messages as plain byte lists.
#pragma once

#include <cstdint>
#include <vector>

#include "missive/source/serialization/missive.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(const Missive& m)
{
    return Bytes(m.data(), m.data() + m.size());
}

// A message holding exactly these bytes, as received from outside.
inline Missive fromBytes(const Bytes& bytes)
{
    Missive m;
    m.assign(bytes.data(), bytes.size());
    return m;
}
