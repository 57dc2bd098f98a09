#include "messagetext.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

std::string join(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

std::string recordText(MissiveSpan message)
{
    std::vector<std::string> fields;
    for (const MissiveRecordView& record : MissiveRecordsInOrder(message))
        fields.push_back(RecordKeyText(record) + ": " + ValueText(record.cursor));
    std::string text = "{";
    return text.append(join(fields, "; ")).append("}");
}

// A four-character code when all four bytes print, else the number.
std::string codeText(double value)
{
    const auto code = static_cast<std::uint32_t>(value);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>(code >> shift & 0xFF);
        if (c < 0x20 || c > 0x7E)
            return FormatNumber(value);
        text += c;
    }
    return "'" + text + "'";
}

} // namespace

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

std::string RecordKeyText(const MissiveRecordView& record)
{
    if (record.cursor.keyType == MissiveKeyType::kNumber) {
        std::uint32_t number = 0;
        std::memcpy(&number, record.keyStart, sizeof number);
        std::string text = "#";
        return text.append(std::to_string(number));
    }
    if (record.cursor.keyType == MissiveKeyType::kDefault)
        return "(default)";
    return std::string(MissiveText(record.keyStart, record.keyEnd));
}

std::string ValueText(const MissiveCursor& cursor)
{
    std::vector<std::string> parts;
    switch (cursor.valueType) {
    case KtType::kStr: parts = readArray<std::string>(cursor); break;
    case KtType::kMissive:
        for (const MissiveSpan& nested : readMissives(cursor))
            parts.push_back(recordText(nested));
        break;
    case KtType::kBool:
        for (const bool value : readArray<bool>(cursor))
            parts.push_back(value ? "true" : "false");
        break;
    case KtType::kEnum:
        parts.push_back(FormatNumber(static_cast<double>(ReadEnumValue(cursor).value_or(0))));
        break;
    case KtType::kUuid:
        if (cursor.dataEnd - cursor.dataStart >= 16) {
            KtUuid uuid;
            std::memcpy(uuid.bytes.data(), cursor.dataStart, uuid.bytes.size());
            std::ostringstream text;
            text << uuid;
            parts.push_back(text.str());
        }
        break;
    case KtType::kU32:
        for (const double value : readArray<double>(cursor))
            parts.push_back(codeText(value));
        break;
    default:
        for (const double value : readArray<double>(cursor))
            parts.push_back(FormatNumber(value));
    }
    return join(parts, ", ");
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
