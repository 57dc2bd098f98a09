// The process's resident memory (its working set on Windows), for the
// editor's open-and-close cycles.
#pragma once

#include <cstdint>

// [any] in bytes; 0 when the system does not tell.
std::uint64_t ResidentBytes();
