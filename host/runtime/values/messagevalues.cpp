#include "messagevalues.h"

#include <charconv>
#include <cmath>

std::optional<std::int64_t> ReadEnumValue(const MissiveCursor& cursor)
{
    if (cursor.valueType != KtType::kEnum || cursor.count != 1)
        return std::nullopt;
    // Its type name, a 0 byte, then the value as a varint.
    const std::string_view typeName = MissiveText(cursor.dataStart, cursor.dataEnd);
    const std::uint8_t* value = cursor.dataStart + typeName.size() + 1;
    if (value >= cursor.dataEnd)
        return std::nullopt;
    std::uint64_t raw = 0;
    MissiveReadVarint(value, cursor.dataEnd, raw);
    return static_cast<std::int64_t>(raw);
}

std::string FormatNumber(double value)
{
    // Plain digits ("300000", "0.005") wherever they stay short.
    const bool plain = value == 0.0 || (std::fabs(value) >= 1e-6 && std::fabs(value) < 1e15);
    char text[64];
    const auto result =
        plain ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
              : std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}
