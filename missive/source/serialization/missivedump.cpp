#include "missivedump.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

#include "keyregistry.h"
#include "missivewalk.h"

namespace {

using Bytes = const std::uint8_t*;

// Nested tables deeper than this are summarised by their size instead, so a
// hostile message cannot exhaust the stack.
constexpr int kMaxDepth = 64;

const char* const kRuler = "-----------+===========+-----------+===========   ----====----====\n";
const std::string kFrameMiddle =
    "----+-----+" + std::string(54, '-') + "+------------+" + std::string(65, '-');

void printHexView(MissiveSpan bytes)
{
    if (bytes.size == 0)
        return;
    std::fputs(kRuler, stdout);
    for (std::size_t row = 0; row < bytes.size; row += 16) {
        const std::size_t n = std::min<std::size_t>(16, bytes.size - row);
        for (std::size_t i = 0; i < 16; ++i) {
            if (i < n)
                std::printf("%02x ", bytes.data[row + i]);
            else
                std::fputs("   ", stdout);
        }
        std::fputs("  ", stdout);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t b = bytes.data[row + i];
            if (b == ' ')
                std::fputs("\u22C5", stdout);
            else if (b >= 0x21 && b <= 0x7F)
                std::putchar(b);
            else if (b == 0)
                std::fputs("\u25AB", stdout);
            else
                std::fputs("\u25AA", stdout);
        }
        std::fputs("\n", stdout);
    }
    std::fputs(kRuler, stdout);
}

std::string indent(int depth)
{
    return std::string(4 * static_cast<std::size_t>(depth), ' ');
}

void writeNumberOf(std::ostream& out, KtTypeId type, Bytes pos)
{
    MissiveWithNumber(type, pos, [&out]<class T>(T value) {
        if constexpr (std::is_same_v<T, bool>)
            out << (value ? 1 : 0);
        else if constexpr (sizeof(T) == 1)
            out << static_cast<int>(value);
        else
            out << value;
    });
}

void writePointers(std::ostream& out, KtTypeId type, Bytes pos, Bytes end, std::uint64_t count)
{
    MissiveRequireRoom(pos, end, count, sizeof(std::uint64_t));
    const KtTypeId base = type & KtType::kBaseMask;
    const bool typed = base == KtType::kPod || base == KtType::kObj || base == KtType::kVob;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t pointer;
        std::memcpy(&pointer, pos + i * 8, 8);
        char text[32];
        std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(pointer));
        if (i != 0)
            out << ", ";
        if (typed)
            out << '<' << nameOf(base) << "> ";
        out << text;
    }
}

// Object values: a type name, a varint version, then the payload.
void writeObject(std::ostream& out, Bytes pos, Bytes end)
{
    const Bytes start = pos;
    const std::string_view name = MissiveTypeName(pos, end);
    pos += name.size() + 1;
    std::uint64_t version = 0;
    pos = MissiveReadVarint(pos, end, version);
    out << '<' << name << ':' << version << "> " << (end - pos) << " byte payload ("
        << (end - start) << " bytes)";
}

std::string keyText(const MissiveRecordView& record);

void compactRecords(MissiveDumpContext& context, Bytes first, Bytes last)
{
    const char* separator = "";
    ForEachRecordNewestFirst({first, static_cast<std::size_t>(last - first)},
                             [&](const MissiveRecordView& record) {
                                 context.out << separator << std::left << std::setfill('.')
                                             << std::setw(52) << keyText(record);
                                 separator = ", ";
                             });
}

// Writes the elements the walk reports: a lone number bare, several in
// braces, shortened to the first limit - 1 and the last when there are more
// than limit; texts quoted; an enumeration's type name, its values and their
// size; UUIDs with their size; nested messages as indented tables.
class ValueWriter final : public MissiveValueVisitor {
public:
    ValueWriter(MissiveDumpContext& context, std::uint64_t count, int depth)
        : context(context),
          out(context.out),
          count(count),
          depth(depth)
    {}

    void number(KtTypeId type, const std::uint8_t* bytes) override
    {
        const std::uint64_t i = index++;
        if (count == 1) {
            writeNumberOf(out, type, bytes);
            return;
        }
        const std::uint64_t limit = context.compact ? 20 : 6;
        const bool last = i == count - 1;
        if (i == 0)
            out << "{ ";
        if (count <= limit || i < limit - 1) {
            out << (i != 0 ? ", " : "");
            writeNumberOf(out, type, bytes);
        } else if (last) {
            out << ", ... ";
            writeNumberOf(out, type, bytes);
        }
        if (last)
            out << " }";
    }
    void text(std::string_view text) override
    {
        out << (index++ != 0 ? ", '" : "'") << text << '\'';
    }
    void enumType(std::string_view name) override { out << '<' << name << '>'; }
    void enumValue(std::uint64_t value) override { out << ' ' << value; }
    void uuid(const KtUuid& uuid) override { out << (index++ != 0 ? ", {" : "{") << uuid << '}'; }
    void message(MissiveSpan nested) override
    {
        if (nested.size == 0)
            return;
        if (context.compact) {
            out << '{';
            compactRecords(context, nested.data, nested.data + nested.size);
            out << '}';
        } else if (depth + 1 > kMaxDepth) {
            out << " (" << nested.size << " bytes)";
        } else {
            dumpRecords(context, nested.data, nested.data + nested.size, depth + 1);
        }
    }

private:
    MissiveDumpContext& context;
    std::ostream& out;
    std::uint64_t count;
    int depth;
    std::uint64_t index = 0;
};

void writeTyped(MissiveDumpContext& context, KtTypeId type, Bytes pos, Bytes end,
                std::uint64_t count, int depth, bool forKey)
{
    std::ostream& out = context.out;
    if ((type & KtType::kPointerFlag) != 0) {
        writePointers(out, type, pos, end, count);
        return;
    }
    ValueWriter writer(context, count, depth);
    if (const Bytes after = MissiveWalkValue(type, pos, end, count, writer)) {
        if (type == KtType::kEnum)
            out << " (" << after - (pos + MissiveTypeName(pos, end).size() + 1) << " bytes)";
        else if (type == KtType::kUuid)
            out << " (" << count * 16 << " bytes)";
        return;
    }
    switch (type) {
    case KtType::kPod: out << " (" << (end - pos) << " bytes)"; return;
    case KtType::kBin: out << " (" << count << " bytes) total: " << (end - pos) << " bytes"; return;
    case KtType::kObj:
    case KtType::kVob: writeObject(out, pos, end); return;
    default: break;
    }
    if (forKey)
        KtFail("throw", kMissiveDumpSource, kMissiveKeyDumperLine,
               "unimplemented missive key dumper: @", nameOf(type));
    KtFail("throw", kMissiveDumpSource, kMissiveValueDumperLine,
           "unimplemented missive value dumper: '@'", charOf(type));
}

// The key shown as text; the compact flag is on while it is produced.
std::string keyText(const MissiveRecordView& record)
{
    const KtTypeId type = record.cursor.keyType;
    const Bytes key = record.keyStart;
    const std::size_t length = static_cast<std::size_t>(record.keyEnd - key);
    std::ostringstream text;
    switch (type) {
    case MissiveKeyType::kString: text << '\'' << MissiveText(key, record.keyEnd) << '\''; break;
    case KtType::kHash64: {
        if (length < 4)
            MissiveUnderrun();
        std::uint32_t number;
        std::memcpy(&number, key, 4);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08" PRIX32, number);
        text << keyName(number) << " (0x" << hex << ')';
        break;
    }
    case MissiveKeyType::kDefault: break;
    case KtType::kI32:
    case KtType::kI64:
    case KtType::kU8:
    case KtType::kU32:
    case KtType::kU64:
    case KtType::kF32:
    case KtType::kPod: {
        MissiveDumpContext keyContext{text, true};
        const std::size_t size = fixedSizeOf(type);
        const std::uint64_t count = size != 0 ? length / size : 1;
        writeTyped(keyContext, type, key, record.keyEnd, count, 0, true);
        break;
    }
    default:
        KtFail("throw", kMissiveDumpSource, kMissiveKeyDumperLine,
               "unimplemented missive key dumper: @", nameOf(type));
    }
    return text.str();
}

void writeRecord(MissiveDumpContext& context, const MissiveRecordView& record, int position,
                 int depth)
{
    std::ostream& out = context.out;
    const MissiveCursor& cursor = record.cursor;
    out << indent(depth) << std::right << std::setfill(' ') << std::setw(3) << position << " | "
        << std::setw(3) << nameOf(cursor.keyType) << " | ";
    out << std::left << std::setfill('.') << std::setw(52) << keyText(record) << " | ";
    out << std::right << std::setfill(' ') << std::setw(4) << cursor.count << "  " << std::left
        << std::setw(4) << nameOf(cursor.valueType) << std::setfill(' ') << " | ";
    writeTyped(context, cursor.valueType, cursor.dataStart, cursor.dataEnd, cursor.count, depth,
               false);
    out << '\n';
}

} // namespace

void dumpRecords(MissiveDumpContext& context, const std::uint8_t* first, const std::uint8_t* last,
                 int depth)
{
    // The table sets fill and adjustment as it goes; the caller's stream gets
    // its own back, also when a failure ends the dump.
    struct StreamState {
        std::ostream& out;
        std::ios_base::fmtflags flags = out.flags();
        char fill = out.fill();
        ~StreamState()
        {
            out.flags(flags);
            out.fill(fill);
        }
    } saved{context.out};
    if (context.compact) {
        compactRecords(context, first, last);
        return;
    }
    std::ostream& out = context.out;
    out << '\n' << indent(depth) << kFrameMiddle << '\n';
    int position = 0;
    ForEachRecordNewestFirst(
        {first, static_cast<std::size_t>(last - first)},
        [&](const MissiveRecordView& record) { writeRecord(context, record, position++, depth); });
    out << indent(depth) << kFrameMiddle;
    if (depth == 0)
        out << "\n\n";
}

void dump(const Missive& message, std::uint8_t enable)
{
    if (enable != 1)
        return;
    std::printf("missive length: %d bytes  sequence: %d\n", static_cast<int>(message.size()),
                static_cast<int>(message.sequence()));
    printHexView(message.span());
    std::fflush(stdout);
    MissiveDumpContext context{std::cout};
    try {
        dumpRecords(context, message.data(), message.data() + message.size(), 0);
    } catch (...) {
        std::cout.flush();
        throw;
    }
    std::cout.flush();
}
