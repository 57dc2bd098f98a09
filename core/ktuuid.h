// UUID values: 16 bytes in groups of 4, 2, 2, 2 and 6, stored and sent as they
// stand. The text form is the bytes in order as lower-case hex pairs, 8-4-4-4-12.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>

struct KtUuid {
    std::array<std::uint8_t, 16> bytes{};

    friend bool operator==(const KtUuid&, const KtUuid&) = default;
};

// Writes the 36-character text form, padded to the stream's width (if larger)
// with its fill on the side its adjustment selects; the stream's state is kept.
std::ostream& operator<<(std::ostream& out, const KtUuid& uuid);
