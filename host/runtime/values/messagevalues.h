// Values in the plug-in's messages as the host reads and writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "missive/source/serialization/missive.h"

// An enumeration's value; empty for a value of another type.
std::optional<std::int64_t> ReadEnumValue(const MissiveCursor& cursor);

// A number in its shortest form that reads back exactly ("300000", "0.005",
// "1e-07").
std::string FormatNumber(double value);
