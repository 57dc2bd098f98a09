#include "missive.h"
#include "missivewalk.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <sstream>

void MissiveUnderrun()
{
    KtFail("throw", kMissiveSource, kMissiveUnderrunLine, "missive underrun");
}

namespace {
[[noreturn]] void MissiveSizeOverrun()
{
    KtFail("throw", kMissiveSource, kMissiveOverrunLine, "object size overrun/mismatch");
}
} // namespace

// ---------------------------------------------------------------------------
// Buffer

Missive::MissiveT(const IIMissiveIn* source)
{
    if (source == nullptr) {
        ++sequence_;
        return;
    }
    const MissiveSpan bytes = source->span();
    assign(bytes.data, bytes.size);
}

Missive::MissiveT(MissiveT&& source) noexcept
{
    takeOver(source);
}

Missive& Missive::operator=(const MissiveT& source)
{
    assign(static_cast<const IIMissiveIn&>(source));
    return *this;
}

Missive& Missive::operator=(MissiveT&& source) noexcept
{
    if (this != &source)
        takeOver(source);
    return *this;
}

Missive::~MissiveT()
{
    release();
}

void Missive::release()
{
    if (onHeap())
        std::free(begin_);
    begin_ = end_ = inline_;
    capacity_ = kInlineCapacity;
}

std::uint8_t* Missive::append(std::size_t n)
{
    const std::size_t used = size();
    if (n > capacity_ - used) {
        if (n > std::numeric_limits<std::size_t>::max() / 2 - capacity_)
            throw std::bad_alloc();
        std::size_t grown = std::max(capacity_ * 207 / 128, capacity_ + n);
        grown = (grown + 15) / 16 * 16;
        std::uint8_t* block;
        if (onHeap()) {
            block = static_cast<std::uint8_t*>(std::realloc(begin_, grown));
            if (block == nullptr)
                throw std::bad_alloc();
        } else {
            block = static_cast<std::uint8_t*>(std::malloc(grown));
            if (block == nullptr)
                throw std::bad_alloc();
            std::memcpy(block, inline_, used);
        }
        begin_ = block;
        end_ = block + used;
        capacity_ = grown;
    }
    ++sequence_;
    std::uint8_t* at = end_;
    end_ += n;
    return at;
}

void Missive::appendBytes(const void* bytes, std::size_t n)
{
    // memmove: the bytes may come from this very message (assigning it to itself).
    std::uint8_t* at = append(n);
    if (n != 0)
        std::memmove(at, bytes, n);
}

void Missive::assign(const void* bytes, std::size_t count)
{
    // Bytes from this very message fit the capacity, so they do not move.
    ++sequence_;
    end_ = begin_;
    appendBytes(bytes, count);
}

void Missive::assign(const IIMissiveIn& source)
{
    const MissiveSpan bytes = source.span();
    if (bytes.data == nullptr)
        return;
    assign(bytes.data, bytes.size);
}

void Missive::clear()
{
    ++sequence_;
    end_ = begin_;
}

void Missive::takeOver(MissiveT& source)
{
    ++sequence_;
    release();
    if (source.onHeap()) {
        begin_ = source.begin_;
        end_ = source.end_;
        capacity_ = source.capacity_;
        source.begin_ = source.end_ = source.inline_;
        source.capacity_ = kInlineCapacity;
    } else {
        appendBytes(source.begin_, source.size());
    }
}

// ---------------------------------------------------------------------------
// Writers

namespace {

// Forward varint bytes of value: 7-bit groups, least significant first.
std::size_t encodeVarint(std::uint64_t value, std::uint8_t (&out)[10])
{
    std::size_t n = 0;
    do {
        std::uint8_t byte = value & 0x7f;
        value >>= 7;
        if (value != 0)
            byte |= 0x80;
        out[n++] = byte;
    } while (value != 0);
    return n;
}

} // namespace

void Missive::appendForwardVarint(std::uint64_t value)
{
    std::uint8_t bytes[10];
    appendBytes(bytes, encodeVarint(value, bytes));
}

void Missive::appendTrailer(std::size_t start, std::size_t keyStart, KtTypeId keyType,
                            KtTypeId valueType)
{
    std::uint8_t keyLength[10];
    std::uint8_t backOffset[10];
    const std::size_t reached = size();
    const std::size_t keyLengthSize = encodeVarint(reached - keyStart, keyLength);
    const std::size_t back = reached + keyLengthSize - 1 - start;
    const std::size_t backSize = encodeVarint(back, backOffset);

    // Backward varints: the forward bytes reversed, low group nearest the end.
    std::uint8_t* at = append(keyLengthSize + 2 + backSize);
    for (std::size_t i = 0; i < keyLengthSize; ++i)
        *at++ = keyLength[keyLengthSize - 1 - i];
    *at++ = keyType;
    *at++ = valueType;
    for (std::size_t i = 0; i < backSize; ++i)
        *at++ = backOffset[backSize - 1 - i];
}

KtTypeId Missive::appendKey(std::string_view name)
{
    std::uint8_t* at = append(name.size() + 1);
    std::memcpy(at, name.data(), name.size());
    at[name.size()] = 0;
    return MissiveKeyType::kString;
}

KtTypeId Missive::appendKey(std::uint32_t number)
{
    appendNumber(number);
    return MissiveKeyType::kNumber;
}

KtTypeId Missive::appendValue(std::string_view text)
{
    std::uint8_t* at = append(text.size() + 1);
    std::memcpy(at, text.data(), text.size());
    at[text.size()] = 0;
    return KtType::kStr;
}

KtTypeId Missive::appendValue(const KtUuid& uuid)
{
    appendBytes(uuid.bytes.data(), uuid.bytes.size());
    return KtType::kUuid;
}

KtTypeId Missive::appendValue(const IIMissiveIn& message)
{
    const MissiveSpan bytes = message.span();
    appendForwardVarint(bytes.size);
    appendBytes(bytes.data, bytes.size);
    return KtType::kMissive;
}

KtTypeId Missive::appendValue(const std::vector<std::string>& texts)
{
    appendForwardVarint(texts.size());
    for (const std::string& text : texts)
        appendValue(std::string_view(text));
    return KtType::kStr | KtType::kArrayFlag;
}

KtTypeId Missive::appendValue(const std::vector<MissiveT>& messages)
{
    appendForwardVarint(messages.size());
    for (const MissiveT& message : messages)
        appendValue(static_cast<const IIMissiveIn&>(message));
    return KtType::kMissive | KtType::kArrayFlag;
}

void Missive::appendEnum(const char* typeName, std::int64_t value)
{
    // The type name's length byte sits just before it (Kt::ParseObjectName).
    const std::size_t nameLength = static_cast<unsigned char>(typeName[-1]);
    appendBytes(typeName, nameLength + 1);
    appendForwardVarint(static_cast<std::uint64_t>(value));
}

// ---------------------------------------------------------------------------
// Lookup

const std::uint8_t* MissiveReadVarint(const std::uint8_t* pos, const std::uint8_t* end,
                                      std::uint64_t& value)
{
    value = 0;
    for (unsigned shift = 0;; shift += 7) {
        if (pos >= end || shift > 63)
            MissiveUnderrun();
        const std::uint8_t byte = *pos++;
        value |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
        if ((byte & 0x80) == 0)
            return pos;
    }
}

namespace {

// Reads a backward varint whose low group is at index at; stops early at the
// message start. Returns the index of its first (lowest) byte.
std::size_t readBackwardVarint(const std::uint8_t* bytes, std::size_t at, std::uint64_t& value)
{
    unsigned shift = 0;
    std::uint8_t byte = bytes[at];
    value = byte & 0x7f;
    while ((byte & 0x80) != 0 && at > 0) {
        --at;
        shift += 7;
        byte = bytes[at];
        if (shift < 64)
            value |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
    }
    return at;
}

// The fixed part at a record's end: back offset and the two type bytes.
struct Trailer {
    std::uint64_t back = 0;
    std::size_t valueTypeAt = 0;
    std::size_t keyTypeAt = 0;
    KtTypeId keyType = 0;
};

Trailer readTrailer(const std::uint8_t* bytes, std::size_t last)
{
    Trailer trailer;
    const std::size_t backStart = readBackwardVarint(bytes, last, trailer.back);
    if (backStart < 2)
        MissiveUnderrun(); // no room for the two type bytes
    trailer.valueTypeAt = backStart - 1;
    trailer.keyTypeAt = backStart - 2;
    trailer.keyType = bytes[trailer.keyTypeAt] & MissiveKeyType::kMask;
    return trailer;
}

// The key's first byte; keyEnd receives one past its last byte.
std::size_t readKey(const std::uint8_t* bytes, const Trailer& trailer, std::size_t& keyEnd)
{
    if (trailer.keyTypeAt == 0)
        MissiveUnderrun();
    std::uint64_t keyLength = 0;
    keyEnd = readBackwardVarint(bytes, trailer.keyTypeAt - 1, keyLength);
    if (keyLength > keyEnd) {
        if (trailer.keyType == MissiveKeyType::kDefault)
            MissiveSizeOverrun();
        MissiveUnderrun();
    }
    return keyEnd - static_cast<std::size_t>(keyLength);
}

// Fills the cursor with the value of the record whose trailer and key are known.
void locateValue(MissiveCursor& cursor, const std::uint8_t* bytes, const Trailer& trailer,
                 std::size_t last, std::size_t keyStart)
{
    if (trailer.valueTypeAt < 2 || trailer.back > trailer.valueTypeAt - 2)
        MissiveUnderrun(); // the record would start before the message
    const std::size_t recordStart =
        trailer.valueTypeAt - static_cast<std::size_t>(trailer.back) - 2;
    if (recordStart > keyStart)
        MissiveUnderrun(); // a value of negative size
    const std::uint8_t valueType = bytes[trailer.valueTypeAt];
    cursor.recordStart = bytes + recordStart;
    cursor.recordEnd = bytes + last + 1;
    cursor.dataStart = cursor.recordStart;
    cursor.dataEnd = bytes + keyStart;
    cursor.count = 1;
    if ((valueType & KtType::kArrayFlag) != 0)
        cursor.dataStart = MissiveReadVarint(cursor.recordStart, cursor.dataEnd, cursor.count);
    cursor.keyType = trailer.keyType;
    cursor.valueType = valueType & MissiveKeyType::kMask;
}

// The previous record's last byte; false when it would lie before the message.
bool previousRecord(const Trailer& trailer, std::size_t& last)
{
    if (trailer.valueTypeAt < 3 || trailer.back > trailer.valueTypeAt - 3)
        return false;
    last = trailer.valueTypeAt - static_cast<std::size_t>(trailer.back) - 3;
    return true;
}

enum class Wanted { kName, kNumber, kDefault };

MissiveCursor scan(MissiveSpan message, Wanted wanted, std::string_view name, std::uint32_t number)
{
    MissiveCursor cursor;
    cursor.message = message;
    cursor.keyName = name;
    cursor.keyNumber = number;
    cursor.wantedKeyType = wanted == Wanted::kName     ? MissiveKeyType::kString
                           : wanted == Wanted::kNumber ? MissiveKeyType::kNumber
                                                       : MissiveKeyType::kDefault;
    const std::uint8_t* bytes = message.data;
    if (bytes == nullptr || message.size == 0)
        return cursor;

    std::size_t last = message.size - 1;
    for (;;) {
        const Trailer trailer = readTrailer(bytes, last);
        if (trailer.keyType == cursor.wantedKeyType) {
            std::size_t keyEnd = 0;
            const std::size_t keyStart = readKey(bytes, trailer, keyEnd);
            const std::uint8_t* key = bytes + keyStart;
            const std::size_t keyLength = keyEnd - keyStart;
            bool match = true; // a default key matches whatever its bytes
            if (wanted == Wanted::kName) {
                match = MissiveText(key, key + keyLength) == name;
            } else if (wanted == Wanted::kNumber) {
                if (keyLength < 4)
                    MissiveUnderrun();
                std::uint32_t keyNumber;
                std::memcpy(&keyNumber, key, 4);
                match = keyNumber == number;
            }
            if (match) {
                locateValue(cursor, bytes, trailer, last, keyStart);
                return cursor;
            }
        }
        if (!previousRecord(trailer, last))
            return cursor;
    }
}

} // namespace

MissiveRecordView MissiveRecordAt(MissiveSpan message, std::size_t last)
{
    MissiveRecordView record;
    record.cursor.message = message;
    const Trailer trailer = readTrailer(message.data, last);
    std::size_t keyEnd = 0;
    const std::size_t keyStart = readKey(message.data, trailer, keyEnd);
    locateValue(record.cursor, message.data, trailer, last, keyStart);
    record.keyStart = message.data + keyStart;
    record.keyEnd = message.data + keyEnd;
    record.hasPrevious = previousRecord(trailer, record.previousLast);
    return record;
}

std::vector<MissiveRecordView> MissiveRecordsInOrder(MissiveSpan message)
{
    std::vector<MissiveRecordView> records;
    ForEachRecordNewestFirst(message,
                             [&](const MissiveRecordView& record) { records.push_back(record); });
    std::reverse(records.begin(), records.end());
    return records;
}

MissiveCursor MissiveFind(MissiveSpan message, std::string_view name)
{
    return scan(message, Wanted::kName, name, 0);
}

MissiveCursor MissiveFind(MissiveSpan message, std::uint32_t number)
{
    return scan(message, Wanted::kNumber, {}, number);
}

MissiveCursor MissiveFindDefault(MissiveSpan message)
{
    return scan(message, Wanted::kDefault, {}, 0);
}

// ---------------------------------------------------------------------------
// Reading

std::string_view MissiveText(const std::uint8_t* pos, const std::uint8_t* end)
{
    const std::size_t room = static_cast<std::size_t>(end - pos);
    const void* nul = std::memchr(pos, 0, room);
    const std::size_t length =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - pos)
                       : room;
    return {reinterpret_cast<const char*>(pos), length};
}

namespace {

// Converts one element at pos (inside [pos, end)) into out and returns the
// position after it, or null when the stored type has no defined size.
template <class T>
using Converter = const std::uint8_t* (*)(T& out, const std::uint8_t* pos, const std::uint8_t* end);

template <class Stored>
const std::uint8_t* loadFixed(Stored& value, const std::uint8_t* pos, const std::uint8_t* end)
{
    if (static_cast<std::size_t>(end - pos) < sizeof(Stored))
        MissiveUnderrun();
    std::memcpy(&value, pos, sizeof(Stored));
    return pos + sizeof(Stored);
}

// A string element: up to its 0 byte, never past end.
const std::uint8_t* loadText(std::string_view& text, const std::uint8_t* pos,
                             const std::uint8_t* end)
{
    if (pos >= end)
        MissiveUnderrun();
    text = MissiveText(pos, end);
    const std::uint8_t* next = pos + text.size();
    return next < end ? next + 1 : end;
}

template <class Stored>
std::string numberText(Stored value)
{
    if constexpr (sizeof(Stored) == 1 && !std::is_same_v<Stored, bool>) {
        return std::string(1, static_cast<char>(value)); // 8-bit values read as one character
    } else {
        std::ostringstream text;
        text << value;
        return text.str();
    }
}

template <class T, class Stored>
const std::uint8_t* convertNumber(T& out, const std::uint8_t* pos, const std::uint8_t* end)
{
    Stored value;
    const std::uint8_t* next = loadFixed(value, pos, end);
    if constexpr (std::is_same_v<T, double>)
        out = static_cast<double>(value);
    else if constexpr (std::is_same_v<T, bool>)
        out = value != 0;
    else
        out = numberText(value);
    return next;
}

template <class T>
const std::uint8_t* convertBool(T& out, const std::uint8_t* pos, const std::uint8_t* end)
{
    std::uint8_t byte;
    const std::uint8_t* next = loadFixed(byte, pos, end);
    if constexpr (std::is_same_v<T, std::string>)
        out = byte != 0 ? "true" : "false";
    else if constexpr (std::is_same_v<T, double>)
        out = byte;
    else
        out = byte != 0;
    return next;
}

template <class T>
const std::uint8_t* convertText(T& out, const std::uint8_t* pos, const std::uint8_t* end)
{
    std::string_view text;
    const std::uint8_t* next = loadText(text, pos, end);
    if constexpr (std::is_same_v<T, std::string>) {
        out.assign(text);
    } else {
        std::istringstream in{std::string(text)};
        T value{};
        in >> value; // a bool accepts only "0" and "1"
        out = in.fail() ? T{} : value;
    }
    return next;
}

template <class T>
const std::uint8_t* convertNothing(T& out, const std::uint8_t*, const std::uint8_t*)
{
    if constexpr (std::is_same_v<T, std::string>)
        out = kMissiveNullMarker;
    else
        out = T{};
    return nullptr;
}

template <class T>
std::array<Converter<T>, 32> buildConverters()
{
    std::array<Converter<T>, 32> table;
    table.fill(&convertNothing<T>);
    table[KtType::kI8] = &convertNumber<T, std::int8_t>;
    table[KtType::kI16] = &convertNumber<T, std::int16_t>;
    table[KtType::kI32] = &convertNumber<T, std::int32_t>;
    table[KtType::kI64] = &convertNumber<T, std::int64_t>;
    table[KtType::kU8] = &convertNumber<T, std::uint8_t>;
    table[KtType::kU16] = &convertNumber<T, std::uint16_t>;
    table[KtType::kU32] = &convertNumber<T, std::uint32_t>;
    table[KtType::kU64] = &convertNumber<T, std::uint64_t>;
    table[KtType::kF32] = &convertNumber<T, float>;
    table[KtType::kF64] = &convertNumber<T, double>;
    table[KtType::kBool] = &convertBool<T>;
    table[KtType::kStr] = &convertText<T>;
    return table;
}

template <class T>
Converter<T> converterFor(KtTypeId valueType)
{
    static const std::array<Converter<T>, 32> table = buildConverters<T>();
    // Pointer forms (bit 6) have no value encoding here.
    if ((valueType & KtType::kPointerFlag) != 0)
        return &convertNothing<T>;
    return table[valueType & KtType::kBaseMask];
}

template <class T>
T absentValue()
{
    if constexpr (std::is_same_v<T, std::string>)
        return kMissiveNullMarker;
    else
        return T{};
}

} // namespace

template <MissiveReadable T>
T read(const MissiveCursor& cursor)
{
    if (!cursor.found() || cursor.count == 0)
        return absentValue<T>();
    T out{};
    converterFor<T>(cursor.valueType)(out, cursor.dataStart, cursor.dataEnd);
    return out;
}

template <MissiveReadable T>
std::vector<T> readArray(const MissiveCursor& cursor)
{
    std::vector<T> values;
    if (!cursor.found())
        return values;
    const Converter<T> convert = converterFor<T>(cursor.valueType);
    const std::uint8_t* pos = cursor.dataStart;
    for (std::uint64_t i = 0; i < cursor.count && pos != nullptr; ++i) {
        T value{};
        pos = convert(value, pos, cursor.dataEnd);
        values.push_back(std::move(value));
    }
    return values;
}

template double read<double>(const MissiveCursor&);
template bool read<bool>(const MissiveCursor&);
template std::string read<std::string>(const MissiveCursor&);
template std::vector<double> readArray<double>(const MissiveCursor&);
template std::vector<bool> readArray<bool>(const MissiveCursor&);
template std::vector<std::string> readArray<std::string>(const MissiveCursor&);

std::vector<MissiveSpan> readMissives(const MissiveCursor& cursor)
{
    std::vector<MissiveSpan> messages;
    if (cursor.valueType != KtType::kMissive)
        return messages;
    const std::uint8_t* pos = cursor.dataStart;
    for (std::uint64_t i = 0; i < cursor.count; ++i) {
        std::uint64_t length = 0;
        pos = MissiveReadVarint(pos, cursor.dataEnd, length);
        if (length > static_cast<std::size_t>(cursor.dataEnd - pos))
            MissiveUnderrun();
        messages.push_back({pos, static_cast<std::size_t>(length)});
        pos += length;
    }
    return messages;
}
