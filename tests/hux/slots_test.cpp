// The wrapper calls the interfaces by vtable position, so the declaration
// order is part of the binary interface. Under the Itanium C++ ABI (g++ and
// clang on Linux, MinGW-w64) a pointer to a virtual member function holds
// 1 + the byte offset of its vtable entry; a virtual destructor takes two
// entries (complete and deleting).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "hux/public/plugin/hux.h"
#include "tapedelay/source/vx9.h"
#include "tapedelay/source/vx9algorithm.h"

namespace {

template <class Member>
long SlotOf(Member member)
{
    static_assert(sizeof(Member) == 2 * sizeof(std::uintptr_t));
    std::uintptr_t words[2];
    std::memcpy(words, &member, sizeof member);
    if ((words[0] & 1u) == 0)
        return -1; // not a virtual function
    return static_cast<long>((words[0] - 1) / sizeof(void*));
}

// The members, in declaration order, occupy consecutive slots from first on.
void ExpectSlots(long first, std::initializer_list<long> slots)
{
    long expected = first;
    for (const long slot : slots) {
        EXPECT_EQ(slot, expected) << "member " << expected - first;
        ++expected;
    }
}

TEST(Slots, PluginInterface)
{
    using P = IIHux::Plugin;
    ExpectSlots(0, {SlotOf(&P::exchangeDescriptor), SlotOf(&P::exchangeParameters),
                    SlotOf(&P::initialise), SlotOf(&P::saveState), SlotOf(&P::restoreState),
                    SlotOf(&P::update), SlotOf(&P::handleMessage), SlotOf(&P::reservedHook7),
                    SlotOf(&P::query), SlotOf(&P::reservedHook9), SlotOf(&P::parameterChanged),
                    SlotOf(&P::dispatchParameterChanges), SlotOf(&P::linkParameter),
                    SlotOf(&P::reservedHook13), SlotOf(&P::describePlugin),
                    SlotOf(&P::describeParameters), SlotOf(&P::bindParameters),
                    SlotOf(&P::writeState), SlotOf(&P::readState), SlotOf(&P::handleUnknownMessage),
                    SlotOf(&P::bypassChanged), SlotOf(&P::setBypass),
                    // The plug-in class adds its diagnostic dump after the interface slots.
                    SlotOf(&VX9::dump)});
}

TEST(Slots, AlgorithmAndItsBase)
{
    using Base = HuxAlgorithm<VX9Algorithm>;
    ExpectSlots(0, {SlotOf(&IIHux::Algorithm::Setup), SlotOf(&IIHux::Algorithm::Reset),
                    SlotOf(&IIHux::Algorithm::GetProcessCallback), SlotOf(&Base::SetupAlgorithm),
                    SlotOf(&Base::ResetAlgorithm)});
    // The product's destructor follows (slot 5).
}

TEST(Slots, ControllerInterfaces)
{
    using C = IIHux::AlgorithmController;
    ExpectSlots(0, {SlotOf(&C::Setup), SlotOf(&C::Reset), SlotOf(&C::QueryWord),
                    SlotOf(&C::GetControllerInterface)});
    using Base = HuxAlgorithmController<IIVX9Controller>;
    ExpectSlots(4, {SlotOf(&Base::SetupController), SlotOf(&Base::ResetController),
                    SlotOf(&Base::GetSampleRate)});
    // IIKtInterface (its destructor pair) leads the product interface's table.
    using I = IIVX9Controller;
    ExpectSlots(2, {SlotOf(&I::setBypassed), SlotOf(&I::setTone), SlotOf(&I::setMode),
                    SlotOf(&I::setDelayTime), SlotOf(&I::setFeedback), SlotOf(&I::setInput),
                    SlotOf(&I::setBlend), SlotOf(&I::setOutput), SlotOf(&I::setTimeGlide),
                    SlotOf(&I::restartGate)});
}

TEST(Slots, WrapperSideFactoryAndMeterFilters)
{
    ExpectSlots(0, {SlotOf(&CoeffBlockFactory::CreateBlock)});
    ExpectSlots(0, {SlotOf(&CoeffBlock::DeclareCoeff), SlotOf(&CoeffBlock::CoeffChanged),
                    SlotOf(&CoeffBlock::Publish)});
    ExpectSlots(0, {SlotOf(&IHuxLibraryCreator::Acquire), SlotOf(&IHuxLibraryCreator::Release)});
    // Destructor first (two entries), then reset and the two process forms.
    ExpectSlots(2, {SlotOf(&CFilterBase<double>::reset), SlotOf(&CFilterBase<double>::process),
                    SlotOf(static_cast<double (ReductionMeterFilter::*)(float)>(
                        &ReductionMeterFilter::process))});
}

} // namespace
