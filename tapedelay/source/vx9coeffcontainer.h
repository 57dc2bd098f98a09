// The controller's four coefficient containers. Each owns a data area that
// never moves, a registry naming every value in it, and the wrapper's block
// that learns the layout once and then every change. Parameter thread only.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "core/objectname.h"
#include "missive/source/serialization/kttypeid.h"
#include "vx9coeffs.h"

struct CoeffEntry {
    std::uint32_t index; // registration ordinal
    const char* name;    // static text
    std::uint32_t offset;
    std::uint32_t size;
    KtTypeId typeId;
};

// The one implementation behind the four containers. Self is the container
// template's instance: its name, cut before the first '<', names the block.
template <class Self, class Data, bool kSmoothed, class Handler>
class VX9CoeffContainerT {
public:
    explicit VX9CoeffContainerT(std::span<const VX9CoeffDecl> decls)
    {
        for (const VX9CoeffDecl& decl : decls)
            Register(reinterpret_cast<unsigned char*>(&data) + decl.offset, decl);
    }
    VX9CoeffContainerT(const VX9CoeffContainerT&) = delete;
    VX9CoeffContainerT& operator=(const VX9CoeffContainerT&) = delete;

    // The owner writes here, then calls Changed or Publish.
    Data& values() { return data; }

    // Creates this container's block and declares every named value to it
    // (in the registry's order; each declaration carries its own index).
    void SetupBlock(typename Handler::Factory& factory)
    {
        const std::string_view full = Kt::ParseObjectName<Self>();
        const std::string_view cut = full.substr(0, full.find('<'));
        char name[128] = {};
        cut.copy(name, sizeof name - 1);
        typename Handler::Block* created = factory.CreateBlock(name, dataSize, kSmoothed);
        if (created == nullptr)
            throw std::runtime_error("coefficient block factory returned no block");
        for (const auto& [address, entry] : entries)
            created->DeclareCoeff(entry.index, entry.name, entry.offset, entry.size, entry.typeId);
        block = created;
    }

    // The one value at `address` (registered in this container) changed.
    void Changed(const void* address) { Ready().CoeffChanged(entries.at(address).index, address); }

    // The whole data area is current.
    void Publish() { Ready().Publish(&data); }

private:
    void Register(unsigned char* address, const VX9CoeffDecl& decl)
    {
        const auto index = static_cast<std::uint32_t>(entries.size());
        entries.emplace(address, CoeffEntry{index, decl.name, decl.offset, decl.size, decl.type});
        std::memset(address, 0, decl.size);
    }

    typename Handler::Block& Ready()
    {
        if (block == nullptr)
            throw std::logic_error("coefficient container used before set-up");
        return *block;
    }

    std::unordered_map<const void*, CoeffEntry> entries;
    std::uint32_t dataSize = sizeof(Data);
    typename Handler::Block* block = nullptr; // the wrapper's
    Data data{};
};

// The five gains the wrapper glides per sample.
template <class Handler>
struct VX9SmoothedCoeffsT final
    : VX9CoeffContainerT<VX9SmoothedCoeffsT<Handler>, VX9SmoothedCoeffs, true, Handler> {
    VX9SmoothedCoeffsT() : VX9SmoothedCoeffsT::VX9CoeffContainerT(kVX9SmoothedDecls) {}
};

template <class Handler>
struct VX9CoeffsT final : VX9CoeffContainerT<VX9CoeffsT<Handler>, VX9Coeffs, false, Handler> {
    VX9CoeffsT() : VX9CoeffsT::VX9CoeffContainerT(kVX9CoeffDecls) {}
};

// Filter sets that must change together: published whole.
template <class Handler>
struct VX9AtomicCoeffsT final
    : VX9CoeffContainerT<VX9AtomicCoeffsT<Handler>, VX9AtomicCoeffs, false, Handler> {
    VX9AtomicCoeffsT() : VX9AtomicCoeffsT::VX9CoeffContainerT(kVX9AtomicDecls) {}
};

// No named values: only ever published whole.
template <class Handler>
struct VX9CombTableT final
    : VX9CoeffContainerT<VX9CombTableT<Handler>, VX9CombTable, false, Handler> {
    VX9CombTableT() : VX9CombTableT::VX9CoeffContainerT({}) {}
};
