// The coefficient-block contract between the controller and the wrapper.
//
// The controller owns its data areas (they never move) and tells its blocks
// about changes; the wrapper copies what it is told into the data the audio
// thread reads. Called on the parameter thread only.
#pragma once

#include <cstdint>

#include "missive/source/serialization/kttypeid.h"

struct CoeffBlock {
    // name is static text.
    virtual void DeclareCoeff(std::uint32_t index, const char* name, std::uint32_t offset,
                              std::uint32_t size, KtTypeId typeId) = 0;
    // One declared value changed; address lies inside the data area.
    virtual void CoeffChanged(std::uint32_t index, const void* address) = 0;
    // The whole data area, starting at address, is ready.
    virtual void Publish(const void* address) = 0;

protected:
    ~CoeffBlock() = default;
};

struct CoeffBlockFactory {
    // name is valid during the call only. Never returns null; the block
    // belongs to the wrapper.
    virtual CoeffBlock* CreateBlock(const char* name, std::uint32_t size, bool smoothed) = 0;

protected:
    ~CoeffBlockFactory() = default;
};

// The policy the product's coefficient containers are written over: the
// wrapper-side interfaces they create and notify.
struct HuxCoeffHandler {
    using Factory = CoeffBlockFactory;
    using Block = CoeffBlock;
};
