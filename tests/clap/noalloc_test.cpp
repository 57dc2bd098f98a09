// process and an active flush must not allocate, whatever the host sends
// and the editor's gestures queue: every operator new of this program, the
// plug-in's and the core's included, is counted.
#include <gtest/gtest.h>

#include <vector>

#include "host/effect/adapterparameters.h"
#include "host/product/parametercodes.h"
#include "tests/support/allocationcount.h"
#include "tests/support/claprig.h"

namespace {

TEST(ClapProcess, AllocatesNothingAtAnyLengthChangeOrState)
{
    constexpr std::uint32_t kMax = 1024;
    ClapRig rig(2);
    ASSERT_TRUE(rig.activate(48000.0, kMax));
    std::vector<std::vector<float>> audio(2, std::vector<float>(kMax, 0.25f));
    const std::vector<std::uint8_t> saved = rig.saved();
    clap_event_transport_t transport = ClapRig::Transport(120.0);

    EditorHost& editor = TapeDelayClap::Of(rig.plugin).editorHost();
    const std::size_t feedback = *rig.module->product.description.find(kFeedback);
    const long before = AllocationCount();
    for (std::uint32_t frames = 1; frames <= kMax; frames += frames / 3 + 1) {
        if (frames % 2 == 0)
            editor.beginGesture(feedback);
        editor.changeValue(feedback, frames % 9);
        if (frames % 3 == 0)
            editor.endGesture(feedback);
        editor.tapButton(frames % 2 == 0);
        transport.tempo = 90.0 + frames % 50;
        rig.change(FourCharacterCode(kFeedback), 1.0 + frames % 9, frames / 2);
        rig.change(FourCharacterCode(kNoteValue), frames % 7, frames - 1);
        rig.change(FourCharacterCode(kTempoLock), frames % 2);
        rig.change(FourCharacterCode(kHostBypassCode), frames % 5 == 0 ? 1.0 : 0.0);
        rig.change(kTapParameter, frames % 2 == 0 ? 1.0 : 0.0, frames / 3);
        rig.change(FourCharacterCode(kShownSessionTempo), 50.0); // read-only: ignored
        rig.tempoAt(140.0, frames / 4);
        rig.process(audio, 0, frames, &transport);
    }
    // More events than one run holds.
    for (std::uint32_t i = 0; i < 5000; ++i)
        rig.change(FourCharacterCode(kBlend), 1.0 + i % 9, i % kMax);
    rig.process(audio, 0, kMax);
    rig.change(FourCharacterCode(kFeedback), 4.0);
    rig.flush();
    EXPECT_EQ(AllocationCount() - before, 0);

    // A state loaded meanwhile is parsed on the main thread; taking it is free.
    ASSERT_TRUE(rig.load(saved));
    const long beforeRestore = AllocationCount();
    rig.process(audio, 0, kMax);
    EXPECT_EQ(AllocationCount() - beforeRestore, 0);

    // The counter sees the plug-in's allocations: a new activation has some.
    rig.plugin->deactivate(rig.plugin);
    ASSERT_TRUE(rig.activate(44100.0, kMax));
    EXPECT_GT(AllocationCount() - beforeRestore, 0);
}

} // namespace
