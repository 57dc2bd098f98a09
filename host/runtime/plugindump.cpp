#include "plugindump.h"

#include <cstdint>
#include <cstring>

namespace {

using DumpMember = void (IIHux::Plugin::*)(const Missive& message, std::uint8_t enable);

// The operation at the dump's vtable position. Under the Itanium C++ ABI
// (g++ and clang, MinGW-w64 included) a pointer to a virtual member function
// holds 1 + the byte offset of its vtable entry, and no this-adjustment.
DumpMember dumpMember(std::uintptr_t slot)
{
    static_assert(sizeof(DumpMember) == 2 * sizeof(std::uintptr_t));
    const std::uintptr_t words[2] = {1 + slot * sizeof(void*), 0};
    DumpMember member;
    std::memcpy(&member, words, sizeof member);
    return member;
}

} // namespace

bool OffersDump(const PluginDescription& description, const DumpOperation& dump)
{
    const MissiveCursor id = description.descriptor.find(HuxKeys::kHuxId);
    if (id.valueType != KtType::kUuid || id.dataEnd - id.dataStart < 16)
        return false;
    return std::memcmp(id.dataStart, dump.plugin.bytes.data(), dump.plugin.bytes.size()) == 0;
}

void DumpThroughPlugin(IIHux::Plugin& plugin, const DumpOperation& dump, const Missive& message)
{
    (plugin.*dumpMember(dump.slot))(message, 1);
}
