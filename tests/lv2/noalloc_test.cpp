// run must not allocate, whatever the host does between runs: every
// operator new of this program, the adapter's and the plug-in's included,
// is counted.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "tests/support/allocationcount.h"
#include "tests/support/lv2rig.h"

namespace {

TEST(Lv2Run, AllocatesNothingAtAnyLengthOrChange)
{
    constexpr std::uint32_t kMax = 1024;
    Lv2Module module;
    Lv2Host host(kMax);
    Lv2Plugin plugin(module, host, 48000.0);
    ASSERT_TRUE(plugin.started());
    TempoSequence transport(host);
    transport.add(0, 100.0f);
    transport.add(17, 133.0f);
    plugin.connect("control", transport.data());
    std::vector<float> audio(kMax, 0.25f);
    audio[3] = std::nanf("");
    for (const auto& [symbol, value] : {std::pair{"nval", 4.0f}, {"tlok", 1.0f}, {"fbak", 7.0f}})
        plugin.control(symbol) = value;

    const long before = AllocationCount();
    plugin.activate();
    for (std::uint32_t frames = 1; frames <= kMax; frames += frames / 3 + 1) {
        plugin.control("fbak") = 1.0f + static_cast<float>(frames % 9);
        plugin.control("tap") = frames % 2 == 0 ? 1.0f : 0.0f;
        plugin.control("enabled") = frames % 5 == 0 ? 0.0f : 1.0f;
        plugin.control("dot3") = static_cast<float>(frames % 3);
        plugin.control("mode") = static_cast<float>(frames % 3);
        plugin.run(audio.data(), audio.data(), frames);
    }
    plugin.control("nval") = 0.0f; // back to free time
    plugin.run(audio.data(), audio.data(), kMax);
    plugin.deactivate();
    plugin.activate();
    plugin.run(audio.data(), audio.data(), kMax);
    EXPECT_EQ(AllocationCount() - before, 0);

    // The counter sees the adapter's allocations: an instantiation has some.
    Lv2Plugin another(module, host, 48000.0);
    EXPECT_GT(AllocationCount() - before, 0);
}

} // namespace
