// The processor driven directly, as a host drives it: it takes only the
// buses, sample size and rates it can run, its own writes reach the host as
// edits without their echo coming back as a change, and a program change
// applies the preset. (That it renders what the command renders, with
// changes at their samples and the transport's tempo, mono and stereo:
// tests/host/pluginhost/formatrender_test.cpp, through vst3host.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "host/product/parametercodes.h"
#include "host/product/presets.h"
#include "tests/support/vst3rig.h"
#include "vst3/text16.h"

namespace {

using namespace Steinberg;

TEST(Vst3Processor, TakesOnlyWhatItCanRun)
{
    Vst3Rig rig;
    EXPECT_EQ(rig.processor->canProcessSampleSize(Vst::kSample32), kResultTrue);
    EXPECT_EQ(rig.processor->canProcessSampleSize(Vst::kSample64), kResultFalse);

    rig.processor->setActive(false);
    Vst::SpeakerArrangement mono = Vst::SpeakerArr::kMono, stereo = Vst::SpeakerArr::kStereo,
                            surround = Vst::SpeakerArr::k51;
    EXPECT_EQ(rig.processor->setBusArrangements(&mono, 1, &stereo, 1), kResultFalse);
    EXPECT_EQ(rig.processor->setBusArrangements(&surround, 1, &surround, 1), kResultFalse);
    EXPECT_EQ(rig.processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);

    for (const double rate : {8000.0, 11024.0, 204001.0, 384000.0}) {
        Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample32, 512, rate};
        testing::internal::CaptureStderr();
        EXPECT_EQ(rig.processor->setupProcessing(setup), kResultFalse) << rate;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("Hz"), std::string::npos);
    }
    Vst::ProcessSetup doubles{Vst::kRealtime, Vst::kSample64, 512, 48000.0};
    EXPECT_EQ(rig.processor->setupProcessing(doubles), kResultFalse);
    Vst::ProcessSetup lowest{Vst::kRealtime, Vst::kSample32, 64, 11025.0};
    EXPECT_EQ(rig.processor->setupProcessing(lowest), kResultOk);
    EXPECT_EQ(rig.processor->setActive(true), kResultOk);
}

TEST(Vst3Processor, SilenceFlagsOnlyOnAllZeroOutput)
{
    Vst3Rig rig;
    std::vector<std::vector<float>> audio(1, std::vector<float>(256, 0.25f));
    rig.process(audio, 0, 256);
    EXPECT_EQ(rig.silenceFlags, 0u);
    rig.change(FourCharacterCode(kHostBypassCode), 1.0);
    std::vector<std::vector<float>> quiet(1, std::vector<float>(256, 0.0f));
    for (int block = 0; block < 4; ++block)
        rig.process(quiet, 0, 256);
    EXPECT_EQ(quiet.front(), std::vector<float>(256, 0.0f));
    EXPECT_EQ(rig.silenceFlags, 1u);
}

// The BPM the plug-in derives when a note value is chosen after a free
// delay of 0.35 s: an 8th of it, 85.714... BPM, more digits than a float.
TEST(Vst3Processor, OwnWritesReachTheHostAsEditsAndTheirEchoChangesNothing)
{
    Vst3Rig rig;
    std::vector<std::vector<float>> audio(1, std::vector<float>(128, 0.0f));
    const std::size_t time = *rig.product->description.find(kDelayTime);
    const std::size_t note = *rig.product->description.find(kNoteValue);
    const std::size_t bpm = *rig.product->description.find(kTempo);
    rig.change(FourCharacterCode(kDelayTime), rig.product->scales[time].toNormalised(0.35));
    rig.process(audio, 0, 128);
    rig.change(FourCharacterCode(kNoteValue), rig.product->scales[note].toNormalised(3.0));
    rig.process(audio, 0, 128);

    const double written = rig.sent(FourCharacterCode(kTempo));
    EXPECT_NEAR(rig.product->scales[bpm].toPlain(written), 60.0 / 0.7, 1e-4);

    // The controller passes it on when the host next calls it.
    rig.controller->getParamNormalized(FourCharacterCode(kFeedback));
    std::vector<std::pair<Vst::ParamID, Vst::ParamValue>> edits;
    rig.handler.takeEdits(
        [&](Vst::ParamID id, Vst::ParamValue value) { edits.emplace_back(id, value); });
    EXPECT_NE(std::find(edits.begin(), edits.end(), std::pair{FourCharacterCode(kTempo), written}),
              edits.end());
    EXPECT_EQ(rig.controller->getParamNormalized(FourCharacterCode(kTempo)), written);
    for (const auto& [id, value] : edits)
        EXPECT_NE(id, FourCharacterCode(kShownTempoDelay)); // display values are not edits

    // The host sends the edit back; the exact BPM stays.
    rig.change(FourCharacterCode(kTempo), written);
    rig.process(audio, 0, 128);
    EXPECT_EQ(rig.savedState().values.at(bpm).second, 60.0 / 0.7);
}

TEST(Vst3Processor, AProgramChangeAppliesThePreset)
{
    Vst3Rig rig;
    std::vector<std::vector<float>> audio(1, std::vector<float>(64, 0.0f));
    const std::size_t dubEcho = 1;
    ASSERT_EQ(Presets()[dubEcho].label, "Dub Echo");
    rig.change(FourCharacterCode(kFeedback), 1.0);
    rig.change(FourCharacterCode(kInput), 1.0);
    rig.process(audio, 0, 64);
    rig.change(kProgramParameter, static_cast<double>(dubEcho) / 7.0, 10);
    rig.process(audio, 0, 64);

    const EffectState state = rig.savedState();
    ASSERT_EQ(state.values.size(), rig.product->description.parameters.size());
    const auto expected = PresetValues(Presets()[dubEcho], rig.product->description);
    for (const auto& [index, value] : expected)
        EXPECT_EQ(state.values[index].second, value)
            << rig.product->description.parameters[index].code;
    // Input, at 9 before, is back at its default.
    EXPECT_EQ(state.values[*rig.product->description.find(kInput)].second, 5.0);

    rig.controller->getParamNormalized(kProgramParameter);
    bool feedbackEdited = false;
    rig.handler.takeEdits([&](Vst::ParamID id, Vst::ParamValue) {
        feedbackEdited = feedbackEdited || id == FourCharacterCode(kFeedback);
    });
    EXPECT_TRUE(feedbackEdited);
}

} // namespace

// A host's normalised values outside 0 to 1 count as the nearest end; NaN
// stands for no value and changes nothing, in the processor and in the
// controller alike.
TEST(Vst3Processor, ValuesOutsideTheRangeAreClampedAndNaNIgnored)
{
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    Vst3Rig rig;
    std::vector<std::vector<float>> audio(1, std::vector<float>(64, 0.0f));
    const std::size_t feedback = *rig.product->description.find(kFeedback);
    const std::size_t mode = *rig.product->description.find(kMode);
    rig.change(FourCharacterCode(kFeedback), inf);
    rig.change(FourCharacterCode(kMode), 7.0);
    rig.process(audio, 0, 64);
    EXPECT_EQ(rig.savedState().values.at(feedback).second, 9.0);
    EXPECT_EQ(rig.savedState().values.at(mode).second, 2.0);
    // No preset either: it would set Feedback.
    rig.change(FourCharacterCode(kFeedback), nan);
    rig.change(FourCharacterCode(kMode), -inf);
    rig.change(kProgramParameter, nan);
    rig.process(audio, 0, 64);
    EXPECT_EQ(rig.savedState().values.at(feedback).second, 9.0);
    EXPECT_EQ(rig.savedState().values.at(mode).second, 0.0);

    const Vst::ParamID tone = FourCharacterCode(kTone);
    ASSERT_EQ(rig.controller->setParamNormalized(tone, 0.5), kResultOk);
    EXPECT_EQ(rig.controller->setParamNormalized(tone, nan), kInvalidArgument);
    EXPECT_EQ(rig.controller->getParamNormalized(tone), 0.5);
    for (const Vst::ParamID id : {tone, kProgramParameter, kTapParameter}) {
        EXPECT_EQ(rig.controller->setParamNormalized(id, inf), kResultOk);
        EXPECT_EQ(rig.controller->getParamNormalized(id), 1.0);
        Vst::String128 text{};
        EXPECT_EQ(rig.controller->getParamStringByValue(id, nan, text), kInvalidArgument);
        EXPECT_EQ(rig.controller->getParamStringByValue(id, -inf, text), kResultOk);
        EXPECT_EQ(rig.controller->normalizedParamToPlain(id, -inf), 0.0);
        EXPECT_EQ(rig.controller->normalizedParamToPlain(id, nan), 0.0);
    }
    Vst::String128 text{};
    rig.controller->getParamStringByValue(tone, 1e300, text);
    EXPECT_EQ(Utf8Text(text), "Bright");
}
