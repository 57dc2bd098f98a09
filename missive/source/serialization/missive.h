// Missive: the system's binary key/value message.
//
// A message is a flat run of records, appended at the end and found by
// scanning backwards, so a later record for a key hides an earlier one.
// Record layout, in forward byte order:
//   value | key | key length (backward varint) | key type | value type | back offset (backward
//   varint)
// The back offset B is the size of value, key and key-length field, minus 1.
//
// Messages come from outside the library: every lookup and read stays inside
// the message's bytes and raises "missive underrun" rather than reading past.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/ktresult.h"
#include "core/ktuuid.h"
#include "core/objectname.h"
#include "kttypeid.h"

// Where raises of the message reader are reported.
inline constexpr const char* kMissiveSource = "missive/source/serialization/missive";
inline constexpr std::uint32_t kMissiveUnderrunLine = 634;
inline constexpr std::uint32_t kMissiveOverrunLine = 1010;

// Raises "missive underrun": a value or field would lie outside the message.
[[noreturn]] void MissiveUnderrun();

// Key types of the format.
namespace MissiveKeyType {
inline constexpr KtTypeId kString = 15;
inline constexpr KtTypeId kNumber = 7;
inline constexpr KtTypeId kDefault = 30;
inline constexpr KtTypeId kMask = 0x5F; // type bytes are compared without bits 5 and 7
} // namespace MissiveKeyType

struct MissiveSpan {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// Read access to a message's bytes.
struct IIMissiveIn {
    // The bytes stay valid until the message next changes.
    virtual MissiveSpan span() const = 0;

protected:
    ~IIMissiveIn() = default;
};

// Replacement of a message's whole content.
struct IIMissiveOut : IIMissiveIn {
    virtual void assign(const void* bytes, std::size_t count) = 0;
    // Leaves the content untouched when the source yields a null data pointer.
    virtual void assign(const IIMissiveIn& source) = 0;

protected:
    ~IIMissiveOut() = default;
};

// A key of the vocabulary: its name lives in static storage.
struct MissiveKey {
    const char* name;
};

// The key of a message's default record (its name, for named messages).
struct MissiveDefaultKey {};
inline constexpr MissiveDefaultKey kMissiveDefault{};

// The result of a lookup. Valid until the message next changes.
struct MissiveCursor {
    MissiveSpan message;                     // the bytes looked in
    const std::uint8_t* dataStart = nullptr; // first element (after an array count)
    const std::uint8_t* dataEnd = nullptr;   // one past the value (the key's first byte)
    const std::uint8_t* recordStart = nullptr;
    const std::uint8_t* recordEnd = nullptr;
    std::uint64_t count = 0; // 0 when absent, 1 for a plain value
    std::uint32_t sequence = 0;
    KtTypeId keyType = KtType::kUnknown;   // masked; 31 when absent
    KtTypeId valueType = KtType::kUnknown; // masked (no array flag); 31 when absent
    KtTypeId wantedKeyType = KtType::kUnknown;
    std::string_view keyName;    // the string key looked for
    std::uint32_t keyNumber = 0; // the number key looked for

    bool found() const { return valueType != KtType::kUnknown; }
};

// Scans a message's bytes (the reader's half, usable on any span).
MissiveCursor MissiveFind(MissiveSpan message, std::string_view name);
MissiveCursor MissiveFind(MissiveSpan message, std::uint32_t number);
MissiveCursor MissiveFindDefault(MissiveSpan message);

// One whole record, located by its last byte: a step of the backward walk.
struct MissiveRecordView {
    MissiveCursor cursor; // as a lookup of its key would give it
    const std::uint8_t* keyStart = nullptr;
    const std::uint8_t* keyEnd = nullptr;
    bool hasPrevious = false;
    std::size_t previousLast = 0; // the previous record's last byte, when there is one
};
MissiveRecordView MissiveRecordAt(MissiveSpan message, std::size_t last);
// Every record of a message, in the order they were written.
std::vector<MissiveRecordView> MissiveRecordsInOrder(MissiveSpan message);

template <std::size_t InlineCapacity>
struct MissiveHybridAllocator {
    static constexpr std::size_t kInlineCapacity = InlineCapacity;
};

template <class Allocator, class Interface>
class MissiveT;

// The message object: a growable buffer whose first 512 bytes live inline.
template <>
class MissiveT<MissiveHybridAllocator<512>, IIMissiveOut> final : public IIMissiveOut {
public:
    static constexpr std::size_t kInlineCapacity = 512;

    MissiveT() = default;
    explicit MissiveT(const IIMissiveIn* source);
    MissiveT(const MissiveT& source) : MissiveT(static_cast<const IIMissiveIn*>(&source)) {}
    MissiveT(MissiveT&& source) noexcept;
    MissiveT& operator=(const MissiveT& source);
    MissiveT& operator=(MissiveT&& source) noexcept;
    ~MissiveT();

    // One record per (key, value) pair, in argument order.
    template <class... Keys, class... Values>
    explicit MissiveT(const std::pair<Keys, Values>&... pairs)
    {
        (put(pairs.first, pairs.second), ...);
    }

    MissiveSpan span() const override { return {begin_, size()}; }
    void assign(const void* bytes, std::size_t count) override;
    void assign(const IIMissiveIn& source) override;

    const std::uint8_t* data() const { return begin_; }
    std::size_t size() const { return static_cast<std::size_t>(end_ - begin_); }
    bool empty() const { return end_ == begin_; }
    std::size_t capacity() const { return capacity_; }
    std::uint32_t sequence() const { return sequence_; }
    bool onHeap() const { return begin_ != inline_; }

    // Empties the message; the buffer and its capacity remain.
    void clear();
    // Moves source's content here, taking over its heap block when it has one.
    void takeOver(MissiveT& source);
    // Appends n bytes and returns where they go (the caller fills them).
    std::uint8_t* append(std::size_t n);

    // Appends one record. Keys: MissiveKey, a string (string key), a
    // std::uint32_t (number key) or kMissiveDefault. Values: text, bool,
    // integers of 8 to 64 bits, float, double, KtUuid, an enumeration, a
    // message, or a std::vector of texts, numbers or messages.
    template <class Key, class Value>
    void put(const Key& key, const Value& value)
    {
        const std::size_t start = size();
        const KtTypeId valueType = appendValue(value);
        const std::size_t keyStart = size();
        const KtTypeId keyType = appendKey(key);
        appendTrailer(start, keyStart, keyType, valueType);
    }

    MissiveCursor find(const MissiveKey& key) const { return stamp(MissiveFind(span(), key.name)); }
    MissiveCursor find(const char* name) const { return stamp(MissiveFind(span(), name)); }
    MissiveCursor find(const std::string& name) const { return stamp(MissiveFind(span(), name)); }
    MissiveCursor find(std::uint32_t number) const { return stamp(MissiveFind(span(), number)); }
    MissiveCursor findDefault() const { return stamp(MissiveFindDefault(span())); }

private:
    MissiveCursor stamp(MissiveCursor cursor) const
    {
        cursor.sequence = sequence_;
        return cursor;
    }

    void release();
    void appendBytes(const void* bytes, std::size_t n);
    void appendForwardVarint(std::uint64_t value);
    void appendTrailer(std::size_t start, std::size_t keyStart, KtTypeId keyType,
                       KtTypeId valueType);

    KtTypeId appendKey(const MissiveKey& key) { return appendKey(std::string_view(key.name)); }
    KtTypeId appendKey(const char* name) { return appendKey(std::string_view(name)); }
    KtTypeId appendKey(const std::string& name) { return appendKey(std::string_view(name)); }
    KtTypeId appendKey(std::string_view name);
    KtTypeId appendKey(std::uint32_t number);
    KtTypeId appendKey(MissiveDefaultKey) { return MissiveKeyType::kDefault; }

    template <class T>
    static constexpr KtTypeId numberType()
    {
        static_assert(!std::is_same_v<T, char>, "write text or an 8-bit integer type, not char");
        if constexpr (std::is_same_v<T, bool>)
            return KtType::kBool;
        else if constexpr (std::is_same_v<T, float>)
            return KtType::kF32;
        else if constexpr (std::is_same_v<T, double>)
            return KtType::kF64;
        else if constexpr (std::is_signed_v<T>)
            return sizeof(T) == 1   ? KtType::kI8
                   : sizeof(T) == 2 ? KtType::kI16
                   : sizeof(T) == 4 ? KtType::kI32
                                    : KtType::kI64;
        else
            return sizeof(T) == 1   ? KtType::kU8
                   : sizeof(T) == 2 ? KtType::kU16
                   : sizeof(T) == 4 ? KtType::kU32
                                    : KtType::kU64;
    }

    template <class T>
    void appendNumber(T value)
    {
        if constexpr (std::is_same_v<T, bool>) {
            *append(1) = value ? 1 : 0;
        } else {
            static_assert(sizeof(T) <= 8);
            appendBytes(&value, sizeof(T)); // our targets are little-endian, as the format
        }
    }

    KtTypeId appendValue(std::string_view text);
    KtTypeId appendValue(const std::string& text) { return appendValue(std::string_view(text)); }
    KtTypeId appendValue(const char* text) { return appendValue(std::string_view(text)); }
    KtTypeId appendValue(const KtUuid& uuid);
    KtTypeId appendValue(const IIMissiveIn& message);
    KtTypeId appendValue(const std::vector<std::string>& texts);
    KtTypeId appendValue(const std::vector<MissiveT>& messages);

    template <class T>
    requires(std::is_arithmetic_v<T> || std::is_enum_v<T>) KtTypeId appendValue(const T& value)
    {
        if constexpr (std::is_enum_v<T>) {
            // Enumerations travel as 32-bit signed values, sign-extended to 64 bits.
            using Underlying = std::underlying_type_t<T>;
            std::int64_t wide;
            if constexpr (sizeof(Underlying) <= 4)
                wide = static_cast<std::int32_t>(value);
            else
                wide = static_cast<std::int64_t>(value);
            appendEnum(Kt::ParseObjectName<T>(), wide);
            return KtType::kEnum;
        } else {
            appendNumber(value);
            return numberType<T>();
        }
    }

    template <class T>
    requires std::is_arithmetic_v<T> KtTypeId appendValue(const std::vector<T>& values)
    {
        appendForwardVarint(values.size());
        for (const T& value : values)
            appendNumber(value);
        return numberType<T>() | KtType::kArrayFlag;
    }

    void appendEnum(const char* typeName, std::int64_t value);

    std::uint8_t* begin_ = inline_;
    std::uint8_t* end_ = inline_;
    std::size_t capacity_ = kInlineCapacity;
    std::uint32_t sequence_ = 0;
    std::uint8_t inline_[kInlineCapacity] = {};
};

using Missive = MissiveT<MissiveHybridAllocator<512>, IIMissiveOut>;

// Reading: converts the stored type to the requested one (double, bool or
// std::string). An absent key gives the default: 0.0, false, or the null marker.
template <class T>
concept MissiveReadable =
    std::is_same_v<T, double> || std::is_same_v<T, bool> || std::is_same_v<T, std::string>;

template <MissiveReadable T>
T read(const MissiveCursor& cursor);

// Every element of the value, converted. Elements of types without a defined
// size (such as a nested message read as a number) end the list after one.
template <MissiveReadable T>
std::vector<T> readArray(const MissiveCursor& cursor);

// The nested messages of a value of type missive (empty for any other type).
std::vector<MissiveSpan> readMissives(const MissiveCursor& cursor);

// The text an absent string reads as: "<", 0x04, "null", 0x04, ">".
inline const std::string kMissiveNullMarker{"<\x04null\x04>", 8};

// The text at pos: up to its 0 byte, or to end when it has none.
std::string_view MissiveText(const std::uint8_t* pos, const std::uint8_t* end);

// Forward varint (LEB128) decoding inside [pos, end); raises underrun when the
// number runs past end or beyond 64 bits.
const std::uint8_t* MissiveReadVarint(const std::uint8_t* pos, const std::uint8_t* end,
                                      std::uint64_t& value);
