// Saved state through the processor and the controller: what is saved comes
// back, on an active processor too; bytes that are not a state are refused
// and change nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/effect/effectstate.h"
#include "host/product/parametercodes.h"
#include "tests/support/vst3rig.h"

namespace {

using namespace Steinberg;

// A state with one value changed.
std::vector<std::uint8_t> With(const std::vector<std::uint8_t>& bytes, const char* code,
                               double value)
{
    EffectState state = *ReadEffectState(bytes).state;
    for (auto& [id, stored] : state.values)
        if (id == FourCharacterCode(code))
            stored = value;
    return WriteEffectState(state);
}

TEST(Vst3State, WhatIsSavedComesBackWhileProcessing)
{
    Vst3Rig rig;
    std::vector<std::vector<float>> audio(1, std::vector<float>(64, 0.1f));
    rig.process(audio, 0, 64);
    const std::vector<std::uint8_t> saved = rig.saved();
    const std::vector<std::uint8_t> changed = With(With(saved, kFeedback, 6.5), kMode, 0.0);

    ASSERT_EQ(rig.restore(changed), kResultOk);
    EXPECT_EQ(rig.saved(), changed); // before the audio thread took it
    rig.process(audio, 0, 64);
    EXPECT_EQ(rig.saved(), changed);
    ASSERT_EQ(rig.restore(saved), kResultOk);
    rig.process(audio, 0, 64);
    EXPECT_EQ(rig.saved(), saved);

    // Inactive, it applies at once.
    rig.processor->setActive(false);
    ASSERT_EQ(rig.restore(changed), kResultOk);
    EXPECT_EQ(rig.saved(), changed);
}

TEST(Vst3State, RefusedBytesChangeNothing)
{
    Vst3Rig rig;
    std::vector<std::vector<float>> audio(1, std::vector<float>(64, 0.1f));
    const std::vector<std::uint8_t> saved = rig.saved();
    ASSERT_EQ(rig.restore(With(saved, kFeedback, 3.0), true), kResultOk);
    const Vst::ParamID feedback = FourCharacterCode(kFeedback);
    const Vst::ParamValue shown = rig.controller->getParamNormalized(feedback);
    EXPECT_EQ(shown,
              rig.product->scales[*rig.product->description.find(kFeedback)].toNormalised(3.0));

    // Every refusal takes one path; which blobs the reader refuses, and
    // why, is the core's (tests/host/effect/effectstate_test.cpp).
    std::vector<std::uint8_t> damaged = With(saved, kFeedback, 8.0);
    damaged[damaged.size() / 2] ^= 0x40;
    for (const std::vector<std::uint8_t>& bad : {damaged, std::vector<std::uint8_t>{}}) {
        EXPECT_EQ(rig.restore(bad), kResultFalse) << bad.size();
        rig.process(audio, 0, 64);
        EXPECT_EQ(rig.saved(), saved);
        EXPECT_EQ(rig.restore(bad, true), kResultFalse);
        EXPECT_EQ(rig.controller->getParamNormalized(feedback), shown);
    }
    EXPECT_EQ(rig.processor->setState(nullptr), kResultFalse);
    EXPECT_EQ(rig.controller->setComponentState(nullptr), kResultFalse);
}

} // namespace
