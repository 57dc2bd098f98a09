// A walk over a message's records and values for the readers that show them
// (the dump, the command's text, the tests): the records newest first, as
// they are stored, and a value's elements decoded by kind and checked
// against the value's bytes. A short value raises the missive underrun
// failure once the elements before it have been reported.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "missive.h"

// Calls visit(record) for every record of message, newest first.
template <class Visit>
void ForEachRecordNewestFirst(MissiveSpan message, Visit&& visit)
{
    for (std::size_t at = message.size - 1; message.size != 0;) {
        const MissiveRecordView record = MissiveRecordAt(message, at);
        visit(record);
        if (!record.hasPrevious)
            return;
        at = record.previousLast;
    }
}

// Raises the underrun failure unless count elements of size bytes fit in
// [pos, end).
void MissiveRequireRoom(const std::uint8_t* pos, const std::uint8_t* end, std::uint64_t count,
                        std::size_t size);

// The type name that leads an enumeration or object value; raises the
// underrun failure when it has no 0 byte.
std::string_view MissiveTypeName(const std::uint8_t* pos, const std::uint8_t* end);

// Whether values of type are fixed-size numbers (bool among them).
bool MissiveIsNumber(KtTypeId type);

// f(the number of that type at bytes, as that type; bool for a bool).
template <class F>
decltype(auto) MissiveWithNumber(KtTypeId type, const std::uint8_t* bytes, F&& f)
{
    const auto as = [bytes]<class T>(T value) {
        std::memcpy(&value, bytes, sizeof value);
        return value;
    };
    switch (type) {
    case KtType::kI8: return f(as(std::int8_t{}));
    case KtType::kI16: return f(as(std::int16_t{}));
    case KtType::kI32: return f(as(std::int32_t{}));
    case KtType::kI64: return f(as(std::int64_t{}));
    case KtType::kU8: return f(as(std::uint8_t{}));
    case KtType::kU16: return f(as(std::uint16_t{}));
    case KtType::kU32: return f(as(std::uint32_t{}));
    case KtType::kU64: return f(as(std::uint64_t{}));
    case KtType::kF32: return f(as(float{}));
    case KtType::kF64: return f(as(double{}));
    default: return f(*bytes != 0);
    }
}

// What the walk over one value reports, element by element.
class MissiveValueVisitor {
public:
    virtual void number(KtTypeId type, const std::uint8_t* bytes) = 0;
    virtual void text(std::string_view text) = 0;
    // An enumeration's type name, then each of its values.
    virtual void enumType(std::string_view name) = 0;
    virtual void enumValue(std::uint64_t value) = 0;
    virtual void uuid(const KtUuid& uuid) = 0;
    virtual void message(MissiveSpan nested) = 0;

protected:
    ~MissiveValueVisitor() = default;
};

// Walks count elements of type in [pos, end): numbers, texts, enumerations,
// UUIDs and nested messages. Returns the position after the last element,
// or null for a type it does not decode (the caller shows those itself).
const std::uint8_t* MissiveWalkValue(KtTypeId type, const std::uint8_t* pos,
                                     const std::uint8_t* end, std::uint64_t count,
                                     MissiveValueVisitor& visitor);

// How MissiveValueText writes a value.
struct MissiveTextStyle {
    const char* elementSeparator; // between a value's elements
    const char* fieldSeparator;   // between a nested message's records
    const char* keySeparator;     // between a record's key and its value
    bool bracketArrays;           // a value written as an array in [ ]
    bool enumTypeNames;           // an enumeration as <type name>value
    std::string (*number)(double);
};

// A record's key: its text, "#n" for a number key, "(default)" for the
// default record.
std::string MissiveKeyText(const MissiveRecordView& record);

// A value as text: nested messages as their records in written order in
// { }, UUIDs in their text form, a 32-bit unsigned number of four printable
// characters as 'abcd', bools as true or false; a type the walk does not
// decode gives nothing.
std::string MissiveValueText(const MissiveCursor& cursor, const MissiveTextStyle& style);
std::string MissiveRecordsText(MissiveSpan message, const MissiveTextStyle& style);
