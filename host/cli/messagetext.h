// Missive values as readable text, for people reading what the plug-in said.
#pragma once

#include <string>

#include "host/runtime/values/messagevalues.h"

// A record's key: its text, or "#n" for a number key, "(default)" for the
// default record.
std::string RecordKeyText(const MissiveRecordView& record);

// A value as text: lists joined by ", ", records as {key: value; ...},
// UUIDs in their text form, a 32-bit code of four printable characters as
// 'abcd', numbers in their shortest exact form.
std::string ValueText(const MissiveCursor& cursor);
