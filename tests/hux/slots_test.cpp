// The wrapper calls the interfaces by vtable position, so the declaration
// order is part of the binary interface. Under the Itanium C++ ABI (g++ and
// clang on Linux, MinGW-w64) a pointer to a virtual member function holds
// 1 + the byte offset of its vtable entry; a virtual destructor takes two
// entries (complete and deleting).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

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

TEST(Slots, PluginInterface)
{
    using P = IIHux::Plugin;
    EXPECT_EQ(SlotOf(&P::exchangeDescriptor), 0);
    EXPECT_EQ(SlotOf(&P::exchangeParameters), 1);
    EXPECT_EQ(SlotOf(&P::initialise), 2);
    EXPECT_EQ(SlotOf(&P::saveState), 3);
    EXPECT_EQ(SlotOf(&P::restoreState), 4);
    EXPECT_EQ(SlotOf(&P::update), 5);
    EXPECT_EQ(SlotOf(&P::handleMessage), 6);
    EXPECT_EQ(SlotOf(&P::reservedHook7), 7);
    EXPECT_EQ(SlotOf(&P::query), 8);
    EXPECT_EQ(SlotOf(&P::reservedHook9), 9);
    EXPECT_EQ(SlotOf(&P::parameterChanged), 10);
    EXPECT_EQ(SlotOf(&P::dispatchParameterChanges), 11);
    EXPECT_EQ(SlotOf(&P::linkParameter), 12);
    EXPECT_EQ(SlotOf(&P::reservedHook13), 13);
    EXPECT_EQ(SlotOf(&P::describePlugin), 14);
    EXPECT_EQ(SlotOf(&P::describeParameters), 15);
    EXPECT_EQ(SlotOf(&P::bindParameters), 16);
    EXPECT_EQ(SlotOf(&P::writeState), 17);
    EXPECT_EQ(SlotOf(&P::readState), 18);
    EXPECT_EQ(SlotOf(&P::handleUnknownMessage), 19);
    EXPECT_EQ(SlotOf(&P::bypassChanged), 20);
    EXPECT_EQ(SlotOf(&P::setBypass), 21);
    // The plug-in class adds its diagnostic dump after the interface slots.
    EXPECT_EQ(SlotOf(&VX9::dump), 22);
}

TEST(Slots, AlgorithmAndItsBase)
{
    EXPECT_EQ(SlotOf(&IIHux::Algorithm::Setup), 0);
    EXPECT_EQ(SlotOf(&IIHux::Algorithm::Reset), 1);
    EXPECT_EQ(SlotOf(&IIHux::Algorithm::GetProcessCallback), 2);
    using Base = HuxAlgorithm<VX9Algorithm>;
    EXPECT_EQ(SlotOf(&Base::SetupAlgorithm), 3);
    EXPECT_EQ(SlotOf(&Base::ResetAlgorithm), 4);
    // The product's destructor follows (slot 5); nothing else is added.
    EXPECT_EQ(SlotOf(&VX9Algorithm::SetupAlgorithm), 3);
}

TEST(Slots, ControllerInterfaces)
{
    using C = IIHux::AlgorithmController;
    EXPECT_EQ(SlotOf(&C::Setup), 0);
    EXPECT_EQ(SlotOf(&C::Reset), 1);
    EXPECT_EQ(SlotOf(&C::QueryWord), 2);
    EXPECT_EQ(SlotOf(&C::GetControllerInterface), 3);
    using Base = HuxAlgorithmController<IIVX9Controller>;
    EXPECT_EQ(SlotOf(&Base::SetupController), 4);
    EXPECT_EQ(SlotOf(&Base::ResetController), 5);
    EXPECT_EQ(SlotOf(&Base::GetSampleRate), 6);

    // IIKtInterface (its destructor pair) leads the product interface's table
    // here; the ten operations follow in their fixed order.
    using I = IIVX9Controller;
    const long first = SlotOf(&I::setBypassed);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(SlotOf(&I::setTone), first + 1);
    EXPECT_EQ(SlotOf(&I::setMode), first + 2);
    EXPECT_EQ(SlotOf(&I::setDelayTime), first + 3);
    EXPECT_EQ(SlotOf(&I::setFeedback), first + 4);
    EXPECT_EQ(SlotOf(&I::setInput), first + 5);
    EXPECT_EQ(SlotOf(&I::setBlend), first + 6);
    EXPECT_EQ(SlotOf(&I::setOutput), first + 7);
    EXPECT_EQ(SlotOf(&I::setTimeGlide), first + 8);
    EXPECT_EQ(SlotOf(&I::restartGate), first + 9);
}

TEST(Slots, WrapperSideAndFactory)
{
    EXPECT_EQ(SlotOf(&CoeffBlockFactory::CreateBlock), 0);
    EXPECT_EQ(SlotOf(&CoeffBlock::DeclareCoeff), 0);
    EXPECT_EQ(SlotOf(&CoeffBlock::CoeffChanged), 1);
    EXPECT_EQ(SlotOf(&CoeffBlock::Publish), 2);
    EXPECT_EQ(SlotOf(&IHuxLibraryCreator::Acquire), 0);
    EXPECT_EQ(SlotOf(&IHuxLibraryCreator::Release), 1);
}

TEST(Slots, MeterFilters)
{
    // Destructor first (two entries), then reset and the two process forms.
    EXPECT_EQ(SlotOf(&CFilterBase<double>::reset), 2);
    EXPECT_EQ(SlotOf(&CFilterBase<double>::process), 3);
    EXPECT_EQ(SlotOf(static_cast<double (ReductionMeterFilter::*)(float)>(
                  &ReductionMeterFilter::process)),
              4);
}

} // namespace
