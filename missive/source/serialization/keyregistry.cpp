#include "keyregistry.h"

namespace {
KeyRegistry& mutableRegistry()
{
    static KeyRegistry registry;
    return registry;
}
} // namespace

const KeyRegistry& keyRegistry()
{
    return mutableRegistry();
}

void registerKey(const char* name, KtTypeId typeId)
{
    mutableRegistry()[name] = KeyRecord{0, typeId};
}

std::string keyName(std::uint64_t number)
{
    for (const auto& [name, record] : mutableRegistry())
        if (record.number == number)
            return name;
    return "<unregistered>";
}
