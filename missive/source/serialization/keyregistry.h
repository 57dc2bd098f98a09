// The process-wide key registry: every key name of the framework's message
// vocabulary with its declared type code, recorded once at start-up and only
// read afterwards. The dump uses it to name number keys.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "kttypeid.h"

struct KeyRecord {
    std::uint64_t number = 0;
    KtTypeId typeId = 0;
};

using KeyRegistry = std::map<std::string, KeyRecord>;

// The registry, created on first use (safe during static initialisation).
const KeyRegistry& keyRegistry();

// Creates or replaces the record of name: number 0, the given type code.
void registerKey(const char* name, KtTypeId typeId);

// The first name, in name order, whose number equals number; "<unregistered>"
// when none does.
std::string keyName(std::uint64_t number);
