// A diagnostic print of one message: a hex view of its bytes, then a table of
// its records, newest first, with nested messages as indented tables.
#pragma once

#include <cstdint>
#include <ostream>

#include "missive.h"

inline constexpr const char* kMissiveDumpSource = "missive/source/serialization/missivedump";
inline constexpr std::uint32_t kMissiveKeyDumperLine = 235;
inline constexpr std::uint32_t kMissiveValueDumperLine = 301;

struct MissiveDumpContext {
    std::ostream& out;
    bool compact = false;
};

// Prints both views to standard output when enable is 1; nothing otherwise.
void dump(const Missive& message, std::uint8_t enable);

// Prints the table of the records in [first, last) at the given nesting depth.
void dumpRecords(MissiveDumpContext& context, const std::uint8_t* first, const std::uint8_t* last,
                 int depth);
