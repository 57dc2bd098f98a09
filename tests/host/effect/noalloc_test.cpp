// run must not allocate, whatever the host does between runs: every
// operator new of this program, the core's and the plug-in's included, is
// counted.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/effect/effect.h"
#include "host/product/parametercodes.h"
#include "tests/support/allocationcount.h"

namespace {

TEST(EffectRun, AllocatesNothingAtAnyLengthOrEvent)
{
    constexpr std::uint32_t kMax = 1024;
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    Effect effect(library, {48000.0, kMax, 2});
    const auto index = [&](const char* code) {
        return static_cast<std::uint32_t>(*effect.description().find(code));
    };
    std::vector<float> left(3 * kMax, 0.25f);
    std::vector<float> right(3 * kMax, -0.5f);
    left[3] = std::nanf("");
    const float* inputs[] = {left.data(), nullptr};
    float* outputs[] = {left.data(), right.data()};
    effect.set(index(kNoteValue), 4.0);
    const EffectState state = effect.state();
    std::vector<EffectEvent> events = {
        {0, EffectEvent::Kind::change, index(kTempoLock), 1.0},
        {0, EffectEvent::Kind::tempo, 0, 100.0},
        {0, EffectEvent::Kind::tap, 0, 0.0},
        {0, EffectEvent::Kind::change, index(kFeedback), 7.0},
        {0, EffectEvent::Kind::change, index(kMode), 0.0},
        {0, EffectEvent::Kind::tempo, 0, 133.0},
        {0, EffectEvent::Kind::tap, 0, 1.0},
    };

    const long before = AllocationCount();
    double written = 0.0;
    for (std::uint32_t frames = 1; frames <= 3 * kMax; frames += frames / 3 + 1) {
        for (std::size_t k = 0; k < events.size(); ++k)
            events[k].frame = static_cast<std::uint32_t>(k * frames / 5);
        events[3].value = 1.0 + frames % 9;
        events[6].value = frames % 2;
        effect.run(inputs, outputs, frames, events);
        effect.set(index(kDottedTriplet), frames % 3);
        effect.takeOwnWrites([&](std::size_t, double value) { written += value; });
    }
    effect.restore(state);
    effect.activate();
    effect.run(inputs, outputs, kMax, events);
    EXPECT_EQ(AllocationCount() - before, 0);
    EXPECT_FALSE(effect.failed());
    EXPECT_GT(written, 0.0);

    // The counter sees the core's allocations: a state has some.
    EXPECT_FALSE(effect.state().values.empty());
    EXPECT_GT(AllocationCount() - before, 0);
}

} // namespace
