// Helpers shared by the message tests: messages as plain byte lists.
#pragma once

#include <cstdint>
#include <vector>

#include "missive/source/serialization/missive.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(const IIMissiveIn& message)
{
    const MissiveSpan span = message.span();
    return Bytes(span.data, span.data + span.size);
}

// A message holding exactly these bytes, as received from outside.
inline Missive fromBytes(const Bytes& bytes)
{
    Missive m;
    m.assign(bytes.data(), bytes.size());
    return m;
}
