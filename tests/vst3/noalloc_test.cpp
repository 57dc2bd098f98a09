// process must not allocate, whatever the host sends: every operator new of
// this program, the processor's and the core's included, is counted.
#include <gtest/gtest.h>

#include <vector>

#include "host/product/parametercodes.h"
#include "tests/support/allocationcount.h"
#include "tests/support/vst3rig.h"

namespace {

using namespace Steinberg;

TEST(Vst3Process, AllocatesNothingAtAnyLengthChangeOrState)
{
    constexpr int32 kMax = 1024;
    Vst3Rig rig(48000.0, kMax, Vst::SpeakerArr::kStereo);
    ASSERT_TRUE(rig.started);
    std::vector<std::vector<float>> audio(2, std::vector<float>(kMax, 0.25f));
    MemoryStream saved;
    rig.processor->getState(&saved);
    rig.context.state = Vst::ProcessContext::kTempoValid;

    const long before = AllocationCount();
    for (int32 frames = 1; frames <= kMax; frames += frames / 3 + 1) {
        rig.context.tempo = 90.0 + frames % 50;
        rig.change(FourCharacterCode(kFeedback), (frames % 9) / 8.0, frames / 2);
        rig.change(FourCharacterCode(kNoteValue), (frames % 7) / 6.0, frames - 1);
        rig.change(FourCharacterCode(kTempoLock), frames % 2);
        rig.change(FourCharacterCode(kHostBypassCode), frames % 5 == 0 ? 1.0 : 0.0);
        rig.change(kTapParameter, frames % 2 == 0 ? 1.0 : 0.0, frames / 3);
        rig.change(kProgramParameter, (frames % 8) / 7.0, frames / 4);
        rig.change(FourCharacterCode(kShownSessionTempo), 0.5); // read-only: ignored
        rig.process(audio, 0, frames);
    }
    rig.process(audio, 0, 0); // a parameter flush
    EXPECT_EQ(AllocationCount() - before, 0);

    // A state set meanwhile is parsed on its own thread; taking it is free.
    saved.seek(0, IBStream::kIBSeekSet, nullptr);
    ASSERT_EQ(rig.processor->setState(&saved), kResultOk);
    const long beforeRestore = AllocationCount();
    rig.process(audio, 0, kMax);
    EXPECT_EQ(AllocationCount() - beforeRestore, 0);

    // The counter sees the processor's allocations: a set-up has some.
    rig.processor->setActive(false);
    rig.processor->setupProcessing(rig.setup);
    EXPECT_GT(AllocationCount() - beforeRestore, 0);
}

} // namespace
