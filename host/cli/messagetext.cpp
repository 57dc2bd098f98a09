#include "messagetext.h"

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
