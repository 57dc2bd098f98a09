// The adapter as hosts drive it: runs of any length give what the reference
// host gives, the transport's tempo and the Tap button reach the plug-in,
// a new activation starts the tape from silence, and what it cannot run it
// refuses with a message.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <vector>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "host/product/tempo.h"
#include "host/runtime/plugininstance.h"
#include "tests/support/lv2rig.h"

namespace {

constexpr double kRate = 48000.0;

std::vector<float> Clicks(std::size_t frames)
{
    std::vector<float> audio(frames, 0.0f);
    for (std::size_t i = 100; i < frames; i += 9000)
        audio[i] = 0.8f;
    for (std::size_t i = 0; i < frames; ++i)
        audio[i] += 0.05f * std::sin(0.01f * static_cast<float>(i));
    return audio;
}

// The reference host's output for the same starting values, in blocks of 4096.
std::vector<float> Reference(const std::vector<StartingValue>& values, const std::vector<float>& in,
                             double sessionTempo = kDefaultSessionTempo)
{
    PluginLibrary library(std::string(TAPEDELAY_LV2_BUNDLE) + "/" + PluginLibrary::fileName());
    PluginInstance instance(library, {kRate, 4096, sessionTempo});
    instance.start(values);
    std::vector<float> out(in.size());
    for (std::size_t at = 0; at < in.size(); at += 4096) {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(4096, in.size() - at));
        instance.process(in.data() + at, out.data() + at, n);
    }
    return out;
}

// Runs the whole input in runs of the given lengths, cycling.
std::vector<float> RunInPieces(Lv2Plugin& plugin, const std::vector<float>& in,
                               const std::vector<std::uint32_t>& lengths)
{
    std::vector<float> out(in.size());
    std::size_t k = 0;
    for (std::size_t at = 0; at < in.size(); ++k) {
        const auto n = static_cast<std::uint32_t>(
            std::min<std::size_t>(lengths[k % lengths.size()], in.size() - at));
        plugin.run(in.data() + at, out.data() + at, n);
        at += n;
    }
    return out;
}

TEST(Lv2Adapter, AnyRunLengthGivesTheReferenceHostsOutput)
{
    Lv2Module module;
    const std::vector<float> in = Clicks(40000);
    for (const bool features : {false, true}) {
        Lv2Host host(512);
        Lv2Plugin plugin(module, host, kRate, features);
        ASSERT_TRUE(plugin.started());
        plugin.control("mode") = 0.0f;
        plugin.control("time") = 0.3f; // the decimal 0.3, as on the command line
        plugin.control("fbak") = 6.0f;
        plugin.control("tone") = 2.0f;
        plugin.control("blnd") = 5.0f; // the default: not turned in
        plugin.activate();
        // Without the options the adapter splits runs longer than its own bound.
        const std::vector<std::uint32_t> lengths =
            features ? std::vector<std::uint32_t>{1, 7, 512, 3, 200}
                     : std::vector<std::uint32_t>{1, 20000, 64};
        const std::vector<float> out = RunInPieces(plugin, in, lengths);
        const std::vector<StartingValue> values = {
            {2, 0.3}, {4, 6.0}, {8, 2.0}, {9, 0.0}}; // time, fbak, tone, mode: port order
        EXPECT_EQ(out, Reference(values, in)) << "features " << features;
    }
}

// Hosts run their audio threads with denormals flushed to zero (as a DAW
// does) or with another rounding; the tape sounds the same, and the host
// gets its modes back.
TEST(Lv2Adapter, TheHostsFloatingPointModesDoNotReachTheTape)
{
    Lv2Module module;
    const std::vector<float> in = Clicks(30000);
    const std::vector<float> expected = Reference({{4, 7.0}}, in);
    for (const bool flushDenormals : {false, true}) {
        Lv2Host host(1024);
        Lv2Plugin plugin(module, host, kRate);
        plugin.control("fbak") = 7.0f;
        plugin.activate();
        std::fenv_t before;
        std::fegetenv(&before);
        std::fesetround(FE_UPWARD);
#if defined(__SSE__)
        if (flushDenormals)
            _mm_setcsr(_mm_getcsr() | 0x8040); // flush to zero, denormals are zero
        const unsigned hosts = _mm_getcsr();
#endif
        const std::vector<float> out = RunInPieces(plugin, in, {1024});
        EXPECT_EQ(std::fegetround(), FE_UPWARD);
#if defined(__SSE__)
        EXPECT_EQ(_mm_getcsr(), hosts);
#endif
        std::fesetenv(&before);
        EXPECT_EQ(out, expected) << "denormals flushed " << flushDenormals;
    }
}

TEST(Lv2Adapter, TheTransportsTempoSetsALockedDelay)
{
    Lv2Module module;
    Lv2Host host(256);
    std::vector<float> in(256, 0.0f);
    std::vector<float> out(256);

    const auto lockedDelay = [&](void* transport) {
        Lv2Plugin plugin(module, host, kRate);
        plugin.control("tlok") = 1.0f;
        plugin.control("nval") = 4.0f; // a quarter
        if (transport != nullptr)
            plugin.connect("control", transport);
        plugin.activate();
        for (int k = 0; k < 4; ++k)
            plugin.run(in.data(), out.data(), 256);
        return std::pair(plugin.control("uiDT"), plugin.control("sBPM"));
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
}

// A tempo at the first run's first frame is there when the tape starts, as
// the command's --session-bpm is: no glide from 120 BPM.
TEST(Lv2Adapter, TheTempoAtTheStartIsTheStartingTempo)
{
    Lv2Module module;
    Lv2Host host(512);
    const std::vector<float> in = Clicks(30000);
    Lv2Plugin plugin(module, host, kRate);
    plugin.control("tlok") = 1.0f;
    plugin.control("nval") = 4.0f;
    TempoSequence transport(host);
    transport.add(0, 90.0f);
    plugin.connect("control", transport.data());
    plugin.activate();
    EXPECT_EQ(RunInPieces(plugin, in, {512}), Reference({{0, 1.0}, {1, 4.0}}, in, 90.0));
}

TEST(Lv2Adapter, TapPressesSetTheTempoOfTheirInterval)
{
    Lv2Module module;
    Lv2Host host(4800);
    Lv2Plugin plugin(module, host, kRate);
    plugin.control("nval") = 3.0f; // an 8th
    plugin.activate();
    std::vector<float> audio(4800, 0.0f);
    const auto press = [&](int runsBefore) {
        for (int k = 0; k < runsBefore; ++k)
            plugin.run(audio.data(), audio.data(), 4800);
        plugin.control("tap") = 1.0f;
        plugin.run(audio.data(), audio.data(), 4800);
        plugin.control("tap") = 0.0f;
    };
    press(0);
    press(4); // 0.5 s later: 120 BPM, the same as before
    press(3); // 0.4 s: 150 BPM
    plugin.run(audio.data(), audio.data(), 4800);
    EXPECT_EQ(plugin.control("uiDT"), static_cast<float>(60.0 / 150.0 * 0.5));
    press(130); // 13.1 s: below 5 BPM, ignored
    plugin.run(audio.data(), audio.data(), 4800);
    EXPECT_EQ(plugin.control("uiDT"), static_cast<float>(60.0 / 150.0 * 0.5));
}

TEST(Lv2Adapter, ANewActivationStartsTheTapeFromSilence)
{
    Lv2Module module;
    Lv2Host host(1024);
    const std::vector<float> in = Clicks(20000);
    Lv2Plugin fresh(module, host, kRate);
    fresh.control("fbak") = 8.0f;
    fresh.activate();
    const std::vector<float> expected = RunInPieces(fresh, in, {1024});

    Lv2Plugin reused(module, host, kRate);
    reused.control("fbak") = 8.0f;
    reused.activate();
    RunInPieces(reused, Clicks(30000), {1024});
    reused.deactivate();
    reused.activate();
    EXPECT_EQ(RunInPieces(reused, in, {1024}), expected);
}

TEST(Lv2Adapter, RefusesARateOrALibraryItCannotRunWithAMessage)
{
    Lv2Module module;
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
