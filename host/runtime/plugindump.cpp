#include "plugindump.h"

#include <cstdint>
#include <cstring>

#include "core/ktuuid.h"

namespace {

// The plug-ins whose class adds the dump right after the interface's own
// operations: the tape delay, by its descriptor's "huxId".
constexpr KtUuid kDumpingPlugin{{0x35, 0x99, 0xf7, 0x3e, 0x9b, 0xa6, 0x43, 0xea, 0xbf, 0xa2, 0x22,
                                 0x7f, 0xbd, 0x29, 0xe8, 0x2b}};
constexpr std::uintptr_t kDumpSlot = 22;

using DumpMember = void (IIHux::Plugin::*)(const Missive& message, std::uint8_t enable);

// The operation at the dump's vtable position. Under the Itanium C++ ABI
// (g++ and clang, MinGW-w64 included) a pointer to a virtual member function
// holds 1 + the byte offset of its vtable entry, and no this-adjustment.
DumpMember dumpMember()
{
    static_assert(sizeof(DumpMember) == 2 * sizeof(std::uintptr_t));
    const std::uintptr_t words[2] = {1 + kDumpSlot * sizeof(void*), 0};
    DumpMember member;
    std::memcpy(&member, words, sizeof member);
    return member;
}

} // namespace

bool OffersDump(const PluginDescription& description)
{
    const MissiveCursor id = description.descriptor.find(HuxKeys::kHuxId);
    if (id.valueType != KtType::kUuid || id.dataEnd - id.dataStart < 16)
        return false;
    return std::memcmp(id.dataStart, kDumpingPlugin.bytes.data(), kDumpingPlugin.bytes.size()) == 0;
}

void DumpThroughPlugin(IIHux::Plugin& plugin, const Missive& message)
{
    (plugin.*dumpMember())(message, 1);
}
