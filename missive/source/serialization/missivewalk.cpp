#include "missivewalk.h"

#include <sstream>
#include <vector>

namespace {

// A four-character code when all four bytes print, else the number.
std::string codeText(std::uint32_t code, const MissiveTextStyle& style)
{
    std::string text = "'";
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>(code >> shift & 0xFF);
        if (c < 0x20 || c > 0x7E)
            return style.number(code);
        text += c;
    }
    return text + "'";
}

class TextWriter final : public MissiveValueVisitor {
public:
    explicit TextWriter(const MissiveTextStyle& style) : style(style) {}

    void number(KtTypeId type, const std::uint8_t* bytes) override
    {
        const double value =
            MissiveWithNumber(type, bytes, [](auto v) { return static_cast<double>(v); });
        if (type == KtType::kBool)
            add(value != 0.0 ? "true" : "false");
        else if (type == KtType::kU32)
            add(codeText(static_cast<std::uint32_t>(value), style));
        else
            add(style.number(value));
    }
    void text(std::string_view text) override { add(std::string(text)); }
    void enumType(std::string_view name) override { typeName = name; }
    void enumValue(std::uint64_t value) override
    {
        const std::string number = style.number(static_cast<double>(value));
        add(style.enumTypeNames ? "<" + std::string(typeName) + ">" + number : number);
    }
    void uuid(const KtUuid& uuid) override
    {
        std::ostringstream text;
        text << uuid;
        add(text.str());
    }
    void message(MissiveSpan nested) override { add(MissiveRecordsText(nested, style)); }

    std::string joined;

private:
    void add(const std::string& element)
    {
        joined += (first ? "" : style.elementSeparator) + element;
        first = false;
    }

    const MissiveTextStyle& style;
    std::string_view typeName;
    bool first = true;
};

} // namespace

void MissiveRequireRoom(const std::uint8_t* pos, const std::uint8_t* end, std::uint64_t count,
                        std::size_t size)
{
    const std::size_t room = static_cast<std::size_t>(end - pos);
    if (size != 0 && count > room / size)
        MissiveUnderrun();
}

std::string_view MissiveTypeName(const std::uint8_t* pos, const std::uint8_t* end)
{
    const std::string_view name = MissiveText(pos, end);
    if (name.size() == static_cast<std::size_t>(end - pos))
        MissiveUnderrun();
    return name;
}

bool MissiveIsNumber(KtTypeId type)
{
    return (type >= KtType::kI8 && type <= KtType::kU64) || type == KtType::kBool ||
           type == KtType::kF32 || type == KtType::kF64;
}

const std::uint8_t* MissiveWalkValue(KtTypeId type, const std::uint8_t* pos,
                                     const std::uint8_t* end, std::uint64_t count,
                                     MissiveValueVisitor& visitor)
{
    if (MissiveIsNumber(type)) {
        const std::size_t size = fixedSizeOf(type);
        MissiveRequireRoom(pos, end, count, size);
        for (std::uint64_t i = 0; i < count; ++i, pos += size)
            visitor.number(type, pos);
        return pos;
    }
    switch (type) {
    case KtType::kStr:
        for (std::uint64_t i = 0; i < count; ++i) {
            if (pos >= end)
                MissiveUnderrun();
            const std::string_view text = MissiveText(pos, end);
            visitor.text(text);
            pos +=
                text.size() < static_cast<std::size_t>(end - pos) ? text.size() + 1 : text.size();
        }
        return pos;
    case KtType::kEnum: {
        // The type name and its 0 byte, then each value as a varint.
        const std::string_view name = MissiveTypeName(pos, end);
        visitor.enumType(name);
        pos += name.size() + 1;
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint64_t value = 0;
            pos = MissiveReadVarint(pos, end, value);
            visitor.enumValue(value);
        }
        return pos;
    }
    case KtType::kUuid:
        MissiveRequireRoom(pos, end, count, 16);
        for (std::uint64_t i = 0; i < count; ++i, pos += 16) {
            KtUuid uuid;
            std::memcpy(uuid.bytes.data(), pos, 16);
            visitor.uuid(uuid);
        }
        return pos;
    case KtType::kMissive: {
        MissiveCursor value;
        value.valueType = type;
        value.dataStart = pos;
        value.dataEnd = end;
        value.count = count;
        for (const MissiveSpan& nested : readMissives(value)) {
            visitor.message(nested);
            pos = nested.data + nested.size;
        }
        return pos;
    }
    default: return nullptr;
    }
}

std::string MissiveKeyText(const MissiveRecordView& record)
{
    if (record.cursor.keyType == MissiveKeyType::kNumber) {
        std::uint32_t number = 0;
        std::memcpy(&number, record.keyStart, sizeof number);
        return "#" + std::to_string(number);
    }
    if (record.cursor.keyType == MissiveKeyType::kDefault)
        return "(default)";
    return std::string(MissiveText(record.keyStart, record.keyEnd));
}

std::string MissiveValueText(const MissiveCursor& cursor, const MissiveTextStyle& style)
{
    TextWriter writer(style);
    MissiveWalkValue(cursor.valueType, cursor.dataStart, cursor.dataEnd, cursor.count, writer);
    const bool array = cursor.dataStart != cursor.recordStart;
    return style.bracketArrays && array ? "[" + writer.joined + "]" : writer.joined;
}

std::string MissiveRecordsText(MissiveSpan message, const MissiveTextStyle& style)
{
    std::string text = "{";
    const char* separator = "";
    for (const MissiveRecordView& record : MissiveRecordsInOrder(message)) {
        text += separator + MissiveKeyText(record) + style.keySeparator +
                MissiveValueText(record.cursor, style);
        separator = style.fieldSeparator;
    }
    return text + "}";
}
