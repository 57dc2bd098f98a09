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

// The members, in declaration order, occupy consecutive slots from first on.
template <class... Members>
void ExpectSlots(long first, Members... members)
{
    long expected = first;
    for (const long slot : {SlotOf(members)...}) {
        EXPECT_EQ(slot, expected) << "member " << expected - first;
        ++expected;
    }
}

TEST(Slots, PluginInterface)
{
    using P = IIHux::Plugin;
    ExpectSlots(0, &P::exchangeDescriptor, &P::exchangeParameters, &P::initialise, &P::saveState,
                &P::restoreState, &P::update, &P::handleMessage, &P::reservedHook7, &P::query,
                &P::reservedHook9, &P::parameterChanged, &P::dispatchParameterChanges,
                &P::linkParameter, &P::reservedHook13, &P::describePlugin, &P::describeParameters,
                &P::bindParameters, &P::writeState, &P::readState, &P::handleUnknownMessage,
                &P::bypassChanged, &P::setBypass,
                // The plug-in class adds its diagnostic dump after the interface slots.
                &VX9::dump);
}

TEST(Slots, AlgorithmAndItsBase)
{
    using Base = HuxAlgorithm<VX9Algorithm>;
    ExpectSlots(0, &IIHux::Algorithm::Setup, &IIHux::Algorithm::Reset,
                &IIHux::Algorithm::GetProcessCallback, &Base::SetupAlgorithm,
                &Base::ResetAlgorithm);
    // The product's destructor follows (slot 5).
}

TEST(Slots, ControllerInterfaces)
{
    using C = IIHux::AlgorithmController;
    ExpectSlots(0, &C::Setup, &C::Reset, &C::QueryWord, &C::GetControllerInterface);
    using Base = HuxAlgorithmController<IIVX9Controller>;
    ExpectSlots(4, &Base::SetupController, &Base::ResetController, &Base::GetSampleRate);
    // IIKtInterface (its destructor pair) leads the product interface's table.
    using I = IIVX9Controller;
    ExpectSlots(2, &I::setBypassed, &I::setTone, &I::setMode, &I::setDelayTime, &I::setFeedback,
                &I::setInput, &I::setBlend, &I::setOutput, &I::setTimeGlide, &I::restartGate);
}

TEST(Slots, WrapperSideFactoryAndMeterFilters)
{
    ExpectSlots(0, &CoeffBlockFactory::CreateBlock);
    ExpectSlots(0, &CoeffBlock::DeclareCoeff, &CoeffBlock::CoeffChanged, &CoeffBlock::Publish);
    ExpectSlots(0, &IHuxLibraryCreator::Acquire, &IHuxLibraryCreator::Release);
    // Destructor first (two entries), then reset and the two process forms.
    ExpectSlots(
        2, &CFilterBase<double>::reset, &CFilterBase<double>::process,
        static_cast<double (ReductionMeterFilter::*)(float)>(&ReductionMeterFilter::process));
}

} // namespace
