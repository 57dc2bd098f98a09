// The adapter as hosts drive it: runs of any length give what the reference
// host gives, the transport's tempo reaches the plug-in, a new activation
// starts the tape from silence, and what it cannot run it refuses with a
// message. (The host's floating-point modes and the taps' timing are the
// core's: tests/host/effect; the Tap port's presses setting the tempo:
// state_test.cpp, before its session is saved.)
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "tests/host/effect/effectdriver.h"
#include "tests/support/lv2rig.h"

namespace {

// The reference host's output for the same starting values, through the
// bundle's copy of the plug-in library.
std::vector<float> Reference(const std::vector<StartingValue>& values, const std::vector<float>& in,
                             double sessionTempo = kDefaultSessionTempo)
{
    PluginLibrary library(std::string(TAPEDELAY_LV2_BUNDLE) + "/" + PluginLibrary::fileName());
    return Reference(library, values, in, {}, sessionTempo);
}

// Runs the whole input in runs of the given lengths, cycling.
std::vector<float> RunInPieces(Lv2Plugin& plugin, const std::vector<float>& in,
                               const std::vector<std::uint32_t>& lengths)
{
    std::vector<float> out(in.size());
    for (std::size_t at = 0, k = 0; at < in.size(); at += lengths[k++ % lengths.size()]) {
        const std::size_t n = std::min<std::size_t>(lengths[k % lengths.size()], in.size() - at);
        plugin.run(in.data() + at, out.data() + at, static_cast<std::uint32_t>(n));
    }
    return out;
}

class Lv2Adapter : public ::testing::Test {
protected:
    Lv2Module module;
};

TEST_F(Lv2Adapter, AnyRunLengthGivesTheReferenceHostsOutput)
{
    const std::vector<float> in = Clicks(40000);
    // time, fbak, tone, mode in port order; the decimal 0.3 as on the command
    // line, and Blend at its default, not turned in.
    const std::vector<StartingValue> values = {{2, 0.3}, {4, 6.0}, {8, 2.0}, {9, 0.0}};
    for (const bool features : {false, true}) {
        Lv2Host host(512);
        const auto plugin = StartLv2(
            module, host, kRate,
            {{"mode", 0.0f}, {"time", 0.3f}, {"fbak", 6.0f}, {"tone", 2.0f}, {"blnd", 5.0f}},
            nullptr, features);
        // Without the options the adapter splits runs longer than its own bound.
        const std::vector<std::uint32_t> lengths =
            features ? std::vector<std::uint32_t>{1, 7, 512, 3, 200}
                     : std::vector<std::uint32_t>{1, 20000, 64};
        EXPECT_EQ(RunInPieces(*plugin, in, lengths), Reference(values, in))
            << "features " << features;
    }
}

TEST_F(Lv2Adapter, TheTransportsTempoSetsALockedDelay)
{
    Lv2Host host(256);
    const Lv2Controls quarter = {{"tlok", 1.0f}, {"nval", 4.0f}};
    std::vector<float> audio(256, 0.0f);
    const auto lockedDelay = [&](void* transport) {
        const auto plugin = StartLv2(module, host, kRate, quarter, transport);
        for (int k = 0; k < 4; ++k)
            plugin->run(audio.data(), audio.data(), 256);
        return std::pair(plugin->control("uiDT"), plugin->control("sBPM"));
    };
    TempoSequence transport(host);
    transport.add(100, 90.0f);
    EXPECT_EQ(lockedDelay(transport.data()), std::pair(static_cast<float>(60.0 / 90.0), 90.0f));
    // No port, an empty sequence, or the float holding 0 that lilv's tools
    // connect to an atom port: 120 BPM.
    EXPECT_EQ(lockedDelay(nullptr), std::pair(0.5f, 120.0f));
    transport.clear();
    EXPECT_EQ(lockedDelay(transport.data()), std::pair(0.5f, 120.0f));
    float zero = 0.0f;
    EXPECT_EQ(lockedDelay(&zero), std::pair(0.5f, 120.0f));

    // A tempo at the first run's first frame is there when the tape starts,
    // as the command's --session-bpm is: no glide from 120 BPM.
    transport.add(0, 90.0f);
    const std::vector<float> in = Clicks(30000);
    EXPECT_EQ(RunInPieces(*StartLv2(module, host, kRate, quarter, transport.data()), in, {256}),
              Reference({{0, 1.0}, {1, 4.0}}, in, 90.0));
}

TEST_F(Lv2Adapter, ANewActivationStartsTheTapeFromSilence)
{
    Lv2Host host(1024);
    const auto plugin = StartLv2(module, host, kRate, {{"fbak", 8.0f}});
    RunInPieces(*plugin, Clicks(30000), {1024});
    plugin->deactivate();
    plugin->activate();
    const std::vector<float> in = Clicks(20000);
    EXPECT_EQ(RunInPieces(*plugin, in, {1024}), Reference({{4, 8.0}}, in));
}

TEST_F(Lv2Adapter, RefusesARateOrALibraryItCannotRunWithAMessage)
{
    Lv2Host host(256);
    {
        Lv2Plugin plugin(module, host, 8000.0);
        EXPECT_FALSE(plugin.started());
        EXPECT_NE(host.logged.find("unsupported sample rate 8000 Hz"), std::string::npos)
            << host.logged;
    }
    host.logged.clear();
    Lv2Plugin plugin(module, host, kRate, true, "/nonexistent/tapedelay.lv2/");
    EXPECT_FALSE(plugin.started());
    EXPECT_NE(host.logged.find("cannot load the plug-in library /nonexistent/tapedelay.lv2/"),
              std::string::npos)
        << host.logged;
}

} // namespace
