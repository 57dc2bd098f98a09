// Missive values as readable text, for people reading what the plug-in said.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "missive/source/serialization/missive.h"

// An enumeration's value; empty for a value of another type.
std::optional<std::int64_t> ReadEnumValue(const MissiveCursor& cursor);

// A record's key: its text, or "#n" for a number key, "(default)" for the
// default record.
std::string RecordKeyText(const MissiveRecordView& record);

// A value as text: lists joined by ", ", records as {key: value; ...},
// UUIDs in their text form, a 32-bit code of four printable characters as
// 'abcd', numbers in their shortest exact form.
std::string ValueText(const MissiveCursor& cursor);

// A number in its shortest form that reads back exactly.
std::string FormatNumber(double value);
