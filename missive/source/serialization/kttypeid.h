// KtTypeId: the one-byte type code of message values and coefficient
// declarations. Bits 0-4 hold the base type (31: unknown), bit 6 marks the
// pointer form, bit 7 is the message format's array flag.
#pragma once

#include <cstddef>
#include <cstdint>

using KtTypeId = std::uint8_t;

namespace KtType {
inline constexpr KtTypeId kVoid = 0;
inline constexpr KtTypeId kI8 = 1;
inline constexpr KtTypeId kI16 = 2;
inline constexpr KtTypeId kI32 = 3;
inline constexpr KtTypeId kI64 = 4;
inline constexpr KtTypeId kU8 = 5;
inline constexpr KtTypeId kU16 = 6;
inline constexpr KtTypeId kU32 = 7;
inline constexpr KtTypeId kU64 = 8;
inline constexpr KtTypeId kBool = 11;
inline constexpr KtTypeId kEnum = 12;
inline constexpr KtTypeId kF32 = 13;
inline constexpr KtTypeId kF64 = 14;
inline constexpr KtTypeId kStr = 15;
inline constexpr KtTypeId kBin = 19;
inline constexpr KtTypeId kMissive = 20;
inline constexpr KtTypeId kPod = 21;
inline constexpr KtTypeId kObj = 22;
inline constexpr KtTypeId kVob = 23;
inline constexpr KtTypeId kSig = 24;
inline constexpr KtTypeId kHash64 = 26;
inline constexpr KtTypeId kUuid = 27;
inline constexpr KtTypeId kFun = 28;
inline constexpr KtTypeId kAny = 29;
inline constexpr KtTypeId kDefault = 30;
inline constexpr KtTypeId kUnknown = 31;

inline constexpr KtTypeId kBaseMask = 0x1F;
inline constexpr KtTypeId kPointerFlag = 0x40;
inline constexpr KtTypeId kArrayFlag = 0x80;
} // namespace KtType

// The type's character: '?' for unknown and unassigned codes; the pointer form's
// character (the next one) when bit 6 is set on a type that has one.
char charOf(KtTypeId code);

// The short name of charOf(code); "unknown" for 31, empty where there is none.
const char* nameOf(KtTypeId code);

// The long name of charOf(code); empty where there is none.
const char* longNameOf(KtTypeId code);

// The encoded size of one value of the base type; 0 for variable-size types.
std::size_t fixedSizeOf(KtTypeId code);
