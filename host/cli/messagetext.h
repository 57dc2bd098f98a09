// Missive values as readable text, for people reading what the plug-in said.
#pragma once

#include <string>

#include "host/runtime/values/messagevalues.h"
#include "missive/source/serialization/missivewalk.h"

// A value as text: lists joined by ", ", records as {key: value; ...},
// UUIDs in their text form, a 32-bit code of four printable characters as
// 'abcd', numbers in their shortest exact form. Keys: MissiveKeyText.
std::string ValueText(const MissiveCursor& cursor);
