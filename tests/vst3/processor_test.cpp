// The processor driven directly, as a host drives it: its output matches the
// adapter core's for the same changes at the same samples, it takes only
// the buses, sample size and rates it can run, its own writes reach the
// host as edits without their echo coming back as a change, and a program
// change applies the preset.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "host/product/parametercodes.h"
#include "host/product/presets.h"
#include "tests/support/vst3rig.h"

namespace {

using namespace Steinberg;

struct Change {
    std::size_t frame;
    const char* code;
    double plain;
};

std::vector<std::vector<float>> Signal(std::size_t channels, std::size_t frames)
{
    std::vector<std::vector<float>> audio(channels, std::vector<float>(frames));
    for (std::size_t c = 0; c < channels; ++c)
        for (std::size_t i = 0; i < frames; ++i)
            audio[c][i] = (i % 7000 == 50 * (c + 1) ? 0.7f : 0.0f) +
                          0.03f * std::sin(0.013f * static_cast<float>(i * (c + 1)));
    return audio;
}

// The signal through the processor in blocks of `block`, the changes as
// queue points and the transport at 100 BPM.
std::vector<std::vector<float>> ThroughProcessor(Vst3Rig& rig,
                                                 std::vector<std::vector<float>> audio,
                                                 const std::vector<Change>& changes, int32 block)
{
    rig.context.state = Vst::ProcessContext::kTempoValid;
    rig.context.tempo = 100.0;
    for (std::size_t at = 0; at < audio.front().size(); at += block) {
        const auto frames =
            static_cast<int32>(std::min<std::size_t>(block, audio.front().size() - at));
        for (const Change& change : changes)
            if (change.frame >= at && change.frame < at + frames) {
                const std::size_t index = *rig.product->description.find(change.code);
                rig.change(FourCharacterCode(change.code),
                           rig.product->scales[index].toNormalised(change.plain),
                           static_cast<int32>(change.frame - at));
            }
        EXPECT_EQ(rig.process(audio, at, frames), kResultOk);
    }
    return audio;
}

// The same through the core itself, in one run per block.
std::vector<std::vector<float>> ThroughCore(const LoadedProduct& product,
                                            std::vector<std::vector<float>> audio,
                                            const std::vector<Change>& changes, std::uint32_t block)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    Effect effect(library, {48000.0, block, static_cast<std::uint32_t>(audio.size())});
    for (std::size_t at = 0; at < audio.front().size(); at += block) {
        const auto frames =
            static_cast<std::uint32_t>(std::min<std::size_t>(block, audio.front().size() - at));
        std::vector<EffectEvent> events;
        if (at == 0)
            events.push_back({0, EffectEvent::Kind::tempo, 0, 100.0});
        for (const Change& change : changes)
            if (change.frame >= at && change.frame < at + frames) {
                const std::size_t index = *product.description.find(change.code);
                events.push_back({static_cast<std::uint32_t>(change.frame - at),
                                  EffectEvent::Kind::change, static_cast<std::uint32_t>(index),
                                  change.plain});
            }
        std::vector<const float*> in;
        std::vector<float*> out;
        for (std::vector<float>& channel : audio) {
            in.push_back(channel.data() + at);
            out.push_back(channel.data() + at);
        }
        effect.run(in, out, frames, events);
    }
    return audio;
}

const std::vector<Change> kChanges = {{0, kFeedback, 7.0},      {700, kDelayTime, 0.3},
                                      {701, kMode, 2.0},        {5000, kTone, 1.0},
                                      {9000, kDelayTime, 0.05}, {9000, kInput, 6.5}};

TEST(Vst3Processor, MatchesTheCoreSampleForSample)
{
    for (const Vst::SpeakerArrangement buses : {Vst::SpeakerArr::kMono, Vst::SpeakerArr::kStereo}) {
        Vst3Rig rig(48000.0, 512, buses);
        ASSERT_TRUE(rig.started);
        const auto in = Signal(rig.channels, 24000);
        const auto processed = ThroughProcessor(rig, in, kChanges, 512);
        const auto reference = ThroughCore(*rig.product, in, kChanges, 512);
        EXPECT_EQ(processed, reference) << rig.channels << " channels";
        EXPECT_NE(processed, in);
    }
}

TEST(Vst3Processor, TakesOnlyWhatItCanRun)
{
    Vst3Rig rig;
    EXPECT_EQ(rig.processor->canProcessSampleSize(Vst::kSample32), kResultTrue);
    EXPECT_EQ(rig.processor->canProcessSampleSize(Vst::kSample64), kResultFalse);
    EXPECT_EQ(rig.processor->getLatencySamples(), 0u);
    EXPECT_EQ(rig.processor->getTailSamples(), Vst::kInfiniteTail);

    rig.processor->setActive(false);
    Vst::SpeakerArrangement mono = Vst::SpeakerArr::kMono, stereo = Vst::SpeakerArr::kStereo,
                            surround = Vst::SpeakerArr::k51;
    EXPECT_EQ(rig.processor->setBusArrangements(&mono, 1, &stereo, 1), kResultFalse);
    EXPECT_EQ(rig.processor->setBusArrangements(&surround, 1, &surround, 1), kResultFalse);
    EXPECT_EQ(rig.processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
    Vst::SpeakerArrangement shown = 0;
    rig.processor->getBusArrangement(Vst::kOutput, 0, shown);
    EXPECT_EQ(shown, Vst::SpeakerArr::kStereo);

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
    rig.change(FourCharacterCode(kInput), 0.0);
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

    Vst::ParamValue written = -1.0;
    ParameterQueue* queue = nullptr;
    for (int32 q = 0; q < rig.outputs.getParameterCount(); ++q)
        if (rig.outputs.getParameterData(q)->getParameterId() == FourCharacterCode(kTempo))
            queue = static_cast<ParameterQueue*>(rig.outputs.getParameterData(q));
    ASSERT_NE(queue, nullptr);
    ASSERT_TRUE(queue->last(written));
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
    MemoryStream saved;
    ASSERT_EQ(rig.processor->getState(&saved), kResultOk);
    const ReadStateResult state =
        ReadEffectState({reinterpret_cast<const std::uint8_t*>(saved.getData()),
                         static_cast<std::size_t>(saved.getSize())});
    ASSERT_TRUE(state.state);
    EXPECT_EQ(state.state->values[bpm].second, 60.0 / 0.7);
}

TEST(Vst3Processor, AProgramChangeAppliesThePreset)
{
    Vst3Rig rig;
    std::vector<std::vector<float>> audio(1, std::vector<float>(64, 0.0f));
    const std::size_t dubEcho = 1;
    ASSERT_EQ(Presets()[dubEcho].label, "Dub Echo");
    rig.change(FourCharacterCode(kFeedback), 1.0);
    rig.process(audio, 0, 64);
    rig.change(kProgramParameter, static_cast<double>(dubEcho) / 7.0, 10);
    rig.process(audio, 0, 64);

    MemoryStream saved;
    rig.processor->getState(&saved);
    const ReadStateResult state =
        ReadEffectState({reinterpret_cast<const std::uint8_t*>(saved.getData()),
                         static_cast<std::size_t>(saved.getSize())});
    ASSERT_TRUE(state.state);
    const auto expected = PresetValues(Presets()[dubEcho], rig.product->description);
    for (const auto& [index, value] : expected)
        EXPECT_EQ(state.state->values[index].second, value)
            << rig.product->description.parameters[index].code;
    // Feedback's 9 from before is the preset's 7.5 now, Input is back at its default.
    EXPECT_EQ(state.state->values[*rig.product->description.find(kInput)].second, 5.0);

    rig.controller->getParamNormalized(kProgramParameter);
    bool feedbackEdited = false;
    rig.handler.takeEdits([&](Vst::ParamID id, Vst::ParamValue) {
        feedbackEdited = feedbackEdited || id == FourCharacterCode(kFeedback);
    });
    EXPECT_TRUE(feedbackEdited);
}

} // namespace
