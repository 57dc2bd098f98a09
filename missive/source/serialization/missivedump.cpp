#include "missivedump.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

#include "keyregistry.h"

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

// Checks that count elements of size bytes fit in [pos, end).
void requireRoom(Bytes pos, Bytes end, std::uint64_t count, std::size_t size)
{
    const std::size_t room = static_cast<std::size_t>(end - pos);
    if (size != 0 && count > room / size)
        MissiveUnderrun();
}

template <class T>
void writeNumber(std::ostream& out, Bytes pos)
{
    T value;
    std::memcpy(&value, pos, sizeof(T));
    if constexpr (sizeof(T) == 1 && !std::is_same_v<T, bool>)
        out << static_cast<int>(value);
    else
        out << value;
}

void writeNumberOf(std::ostream& out, KtTypeId type, Bytes pos)
{
    switch (type) {
    case KtType::kI8: writeNumber<std::int8_t>(out, pos); break;
    case KtType::kI16: writeNumber<std::int16_t>(out, pos); break;
    case KtType::kI32: writeNumber<std::int32_t>(out, pos); break;
    case KtType::kI64: writeNumber<std::int64_t>(out, pos); break;
    case KtType::kU8: writeNumber<std::uint8_t>(out, pos); break;
    case KtType::kU16: writeNumber<std::uint16_t>(out, pos); break;
    case KtType::kU32: writeNumber<std::uint32_t>(out, pos); break;
    case KtType::kU64: writeNumber<std::uint64_t>(out, pos); break;
    case KtType::kF32: writeNumber<float>(out, pos); break;
    case KtType::kF64: writeNumber<double>(out, pos); break;
    default: out << (*pos != 0 ? 1 : 0); break; // bool
    }
}

// A list of numbers: a lone value bare, several in braces, shortened to the
// first limit - 1 and the last when there are more than limit.
void writeNumbers(std::ostream& out, KtTypeId type, Bytes pos, Bytes end, std::uint64_t count,
                  bool compact)
{
    const std::size_t size = fixedSizeOf(type);
    requireRoom(pos, end, count, size);
    const std::uint64_t limit = compact ? 20 : 6;
    if (count == 1) {
        writeNumberOf(out, type, pos);
        return;
    }
    if (count == 0)
        return;
    out << "{ ";
    const bool shortened = count > limit;
    const std::uint64_t shown = shortened ? limit - 1 : count;
    for (std::uint64_t i = 0; i < shown; ++i) {
        if (i != 0)
            out << ", ";
        writeNumberOf(out, type, pos + i * size);
    }
    if (shortened) {
        out << ", ... ";
        writeNumberOf(out, type, pos + (count - 1) * size);
    }
    out << " }";
}

bool isNumberType(KtTypeId type)
{
    return (type >= KtType::kI8 && type <= KtType::kU64) || type == KtType::kBool ||
           type == KtType::kF32 || type == KtType::kF64;
}

void writeStrings(std::ostream& out, Bytes pos, Bytes end, std::uint64_t count)
{
    for (std::uint64_t i = 0; i < count; ++i) {
        if (pos >= end)
            MissiveUnderrun();
        const std::string_view text = MissiveText(pos, end);
        out << (i != 0 ? ", '" : "'") << text << '\'';
        pos += text.size() < static_cast<std::size_t>(end - pos) ? text.size() + 1 : text.size();
    }
}

// The NUL-terminated type name at pos; returns the position after it.
Bytes readTypeName(Bytes pos, Bytes end, std::string& name)
{
    const std::string_view text = MissiveText(pos, end);
    if (text.size() == static_cast<std::size_t>(end - pos))
        MissiveUnderrun(); // no terminating 0 byte
    name.assign(text);
    return pos + text.size() + 1;
}

void writeEnums(std::ostream& out, Bytes pos, Bytes end, std::uint64_t count)
{
    std::string name;
    pos = readTypeName(pos, end, name);
    out << '<' << name << '>';
    const Bytes values = pos;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t value = 0;
        pos = MissiveReadVarint(pos, end, value);
        out << ' ' << value;
    }
    out << " (" << (pos - values) << " bytes)";
}

void writeUuids(std::ostream& out, Bytes pos, Bytes end, std::uint64_t count)
{
    requireRoom(pos, end, count, 16);
    for (std::uint64_t i = 0; i < count; ++i) {
        KtUuid uuid;
        std::memcpy(uuid.bytes.data(), pos + i * 16, 16);
        out << (i != 0 ? ", {" : "{") << uuid << '}';
    }
    out << " (" << count * 16 << " bytes)";
}

void writePointers(std::ostream& out, KtTypeId type, Bytes pos, Bytes end, std::uint64_t count)
{
    requireRoom(pos, end, count, sizeof(std::uint64_t));
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
    std::string name;
    pos = readTypeName(pos, end, name);
    std::uint64_t version = 0;
    pos = MissiveReadVarint(pos, end, version);
    out << '<' << name << ':' << version << "> " << (end - pos) << " byte payload ("
        << (end - start) << " bytes)";
}

std::string keyText(const MissiveRecordView& record);

void compactRecords(MissiveDumpContext& context, Bytes first, Bytes last)
{
    const MissiveSpan span{first, static_cast<std::size_t>(last - first)};
    if (span.size == 0)
        return;
    std::size_t at = span.size - 1;
    for (bool more = true, firstRecord = true; more; firstRecord = false) {
        const MissiveRecordView record = MissiveRecordAt(span, at);
        if (!firstRecord)
            context.out << ", ";
        context.out << std::left << std::setfill('.') << std::setw(52) << keyText(record);
        more = record.hasPrevious;
        at = record.previousLast;
    }
}

void writeMissives(MissiveDumpContext& context, const MissiveRecordView& record, int depth)
{
    for (const MissiveSpan& nested : readMissives(record.cursor)) {
        if (nested.size == 0)
            continue;
        if (context.compact) {
            context.out << '{';
            compactRecords(context, nested.data, nested.data + nested.size);
            context.out << '}';
        } else if (depth + 1 > kMaxDepth) {
            context.out << " (" << nested.size << " bytes)";
        } else {
            dumpRecords(context, nested.data, nested.data + nested.size, depth + 1);
        }
    }
}

void writeTyped(MissiveDumpContext& context, KtTypeId type, Bytes pos, Bytes end,
                std::uint64_t count, const MissiveRecordView* record, int depth, bool forKey)
{
    std::ostream& out = context.out;
    if ((type & KtType::kPointerFlag) != 0) {
        writePointers(out, type, pos, end, count);
        return;
    }
    if (isNumberType(type)) {
        writeNumbers(out, type, pos, end, count, context.compact);
        return;
    }
    switch (type) {
    case KtType::kStr: writeStrings(out, pos, end, count); return;
    case KtType::kEnum: writeEnums(out, pos, end, count); return;
    case KtType::kUuid: writeUuids(out, pos, end, count); return;
    case KtType::kPod: out << " (" << (end - pos) << " bytes)"; return;
    case KtType::kBin: out << " (" << count << " bytes) total: " << (end - pos) << " bytes"; return;
    case KtType::kObj:
    case KtType::kVob: writeObject(out, pos, end); return;
    case KtType::kMissive:
        if (record != nullptr) {
            writeMissives(context, *record, depth);
            return;
        }
        break;
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
        writeTyped(keyContext, type, key, record.keyEnd, count, nullptr, 0, true);
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
    writeTyped(context, cursor.valueType, cursor.dataStart, cursor.dataEnd, cursor.count, &record,
               depth, false);
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
    const MissiveSpan span{first, static_cast<std::size_t>(last - first)};
    if (span.size != 0) {
        std::size_t at = span.size - 1;
        for (int position = 0;; ++position) {
            const MissiveRecordView record = MissiveRecordAt(span, at);
            writeRecord(context, record, position, depth);
            if (!record.hasPrevious)
                break;
            at = record.previousLast;
        }
    }
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
