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

std::vector<std::vector<std::uint8_t>> Refused(const std::vector<std::uint8_t>& good)
{
    std::vector<std::uint8_t> flipped = good;
    flipped[flipped.size() / 2] ^= 0x40;
    return {{},
            {good.begin(), good.begin() + 7},
            {good.begin(), good.end() - 1},
            flipped,
            std::vector<std::uint8_t>(64, 0xff)};
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

    for (const std::vector<std::uint8_t>& bad : Refused(With(saved, kFeedback, 8.0))) {
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
