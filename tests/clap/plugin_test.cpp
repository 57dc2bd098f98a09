// The CLAP plug-in as a host drives it: the parameters it lists and their
// texts, values given before and after activation, the plug-in's own writes
// and the meters as output events, blocks with more events than the room
// for one run, the transport's tempo, and its state. (A rate it refuses is
// logged through the host: hostrender_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/effect/adapterparameters.h"
#include "host/effect/effectstate.h"
#include "host/product/parametercodes.h"
#include "host/runtime/values/parametervalue.h"
#include "tests/support/claprig.h"

namespace {

clap_id Id(const char* code)
{
    return FourCharacterCode(code);
}

struct ClapPlugin : ::testing::Test {
    ClapRig rig;
    const PluginDescription& description = rig.module->product.description;

    std::string text(clap_id id, double value)
    {
        char shown[64] = {};
        return rig.params->value_to_text(rig.plugin, id, value, shown, sizeof shown) ? shown : "?";
    }
    // The value a text gives, or NaN when it is refused.
    double typed(clap_id id, const char* input)
    {
        double value = 0.0;
        return rig.params->text_to_value(rig.plugin, id, input, &value) ? value : std::nan("");
    }
};

// Every parameter's ID, name, range, default and automatable, read-only,
// stepped and bypass flags, in host order and then the Tap control and the
// meters, are held to the plug-in's description as clap-info reads them
// (check_clapinfo.py); here what it does not read.
TEST_F(ClapPlugin, ListsListsAsEnumerationsAndNothingPastTheEnd)
{
    const std::uint32_t count = rig.params->count(rig.plugin);
    ASSERT_EQ(count, description.parameters.size() + 3);
    for (std::uint32_t i = 0; i < description.parameters.size(); ++i) {
        const ParameterInfo& parameter = description.parameters[i];
        clap_param_info_t shown{};
        ASSERT_TRUE(rig.params->get_info(rig.plugin, i, &shown));
        EXPECT_EQ((shown.flags & CLAP_PARAM_IS_ENUM) != 0, parameter.kind == ParameterKind::list)
            << parameter.code;
    }
    clap_param_info_t past{};
    EXPECT_FALSE(rig.params->get_info(rig.plugin, count, &past));
}

TEST_F(ClapPlugin, TextsReadAsTheCommandReadsThem)
{
    const ParameterInfo& time = description.parameters[*description.find(kDelayTime)];
    EXPECT_EQ(typed(Id(kDelayTime), "0.3"), ParseParameterValue(time, "0.3"));
    EXPECT_EQ(typed(Id(kDelayTime), "300ms"), ParseParameterValue(time, "300ms"));
    EXPECT_EQ(typed(Id(kNoteValue), "eighth"), typed(Id(kNoteValue), "8th"));
    EXPECT_EQ(typed(Id(kTone), "dark"), 1.0);
    // Every value a host shows reads back as itself.
    for (const ParameterInfo& parameter : description.parameters) {
        if (parameter.code == kShownSessionTempo || parameter.code == kShownTempoDelay)
            continue;
        for (const double value : {parameter.minValue, parameter.defaultValue, parameter.maxValue})
            EXPECT_EQ(typed(parameter.identifier, text(parameter.identifier, value).c_str()), value)
                << parameter.code << " " << text(parameter.identifier, value);
    }
    EXPECT_EQ(text(Id(kTone), 1.0), "Dark");
    EXPECT_EQ(text(kTapParameter, 1.0), "Down");
    EXPECT_EQ(typed(kTapParameter, "up"), 0.0);
    EXPECT_EQ(text(kMeterParameters[0], 0.5), "-6.0 dBFS");
    // Refused: what is no value, what a host only reads, an unknown ID.
    EXPECT_TRUE(std::isnan(typed(Id(kFeedback), "loud")));
    EXPECT_TRUE(std::isnan(typed(Id(kFeedback), "12")));
    EXPECT_TRUE(std::isnan(typed(Id(kShownSessionTempo), "100")));
    EXPECT_TRUE(std::isnan(typed(kMeterParameters[0], "0")));
    EXPECT_TRUE(std::isnan(typed(Id("none"), "1")));
    EXPECT_EQ(text(Id("none"), 1.0), "?");
}

TEST_F(ClapPlugin, ValuesBeforeActivationStartItAndOwnWritesGoOut)
{
    // Before activation: starting values, read back at once.
    rig.change(Id(kDelayTime), 0.35);
    rig.change(Id(kFeedback), 7.0);
    rig.flush();
    EXPECT_EQ(rig.value(Id(kDelayTime)), 0.35);
    ASSERT_TRUE(rig.activate());
    EXPECT_EQ(rig.value(Id(kFeedback)), 7.0);
    std::vector<std::vector<float>> audio(1, std::vector<float>(64, 0.0f));
    rig.process(audio, 0, 64);
    // A note value after a free delay: the plug-in chooses the BPM at which
    // the note keeps the delay, and tells the host.
    rig.change(Id(kNoteValue), 3.0, 10);
    rig.process(audio, 0, 64);
    EXPECT_NEAR(rig.sent(Id(kTempo)), 60.0 / 0.7, 1e-9);
    EXPECT_NEAR(rig.value(Id(kTempo)), 60.0 / 0.7, 1e-9);
    // Sent once: a value the host has heard is not sent again.
    rig.process(audio, 0, 64);
    EXPECT_TRUE(std::isnan(rig.sent(Id(kTempo))));
    // Given by flush while active, applied at once.
    rig.change(Id(kFeedback), 2.0);
    rig.flush();
    EXPECT_EQ(rig.value(Id(kFeedback)), 2.0);
}

TEST_F(ClapPlugin, ManyEventsInOneBlockSoundAsInSmallBlocks)
{
    ClapRig small;
    ASSERT_TRUE(rig.activate(48000.0, 8192));
    ASSERT_TRUE(small.activate(48000.0, 8192));
    // 6000 changes in one block of 8000 frames (more than one run holds),
    // against the same changes in blocks of 100 frames.
    for (std::uint32_t frame = 0; frame < 6000; ++frame)
        rig.change(Id(kFeedback), 1.0 + (frame % 80) / 10.0, frame + frame / 3);
    const std::vector<float> together = rig.clicks(8000, 8000);
    std::vector<std::vector<float>> audio(1, std::vector<float>(8000, 0.0f));
    audio[0][0] = 0.5f;
    for (std::uint32_t at = 0; at < 8000; at += 100) {
        for (std::uint32_t frame = 0; frame < 6000; ++frame)
            if (const std::uint32_t due = frame + frame / 3; due >= at && due < at + 100)
                small.change(Id(kFeedback), 1.0 + (frame % 80) / 10.0, due - at);
        small.process(audio, at, 100);
    }
    EXPECT_EQ(together, audio[0]);
    EXPECT_EQ(rig.value(Id(kFeedback)), small.value(Id(kFeedback)));
}

// Tempo events within a block, each at its own sample, and the transport's
// tempo heard as the command's session tempo: hostrender_test.cpp and
// tests/host/pluginhost/formatrender_test.cpp, through claphost.
TEST_F(ClapPlugin, TheTransportTempoIsShownAndStaysWithoutATransport)
{
    ASSERT_TRUE(rig.activate());
    std::vector<std::vector<float>> audio(1, std::vector<float>(256, 0.0f));
    const clap_event_transport_t transport = ClapRig::Transport(90.0);
    rig.process(audio, 0, 256, &transport);
    EXPECT_EQ(rig.value(Id(kShownSessionTempo)), 90.0);
    rig.process(audio, 0, 256);
    EXPECT_EQ(rig.value(Id(kShownSessionTempo)), 90.0);
}

TEST_F(ClapPlugin, TwoTapsSetTheTempo)
{
    ASSERT_TRUE(rig.activate());
    std::vector<std::vector<float>> audio(1, std::vector<float>(48000, 0.0f));
    // The first value seen only sets the edge; the presses are half a
    // 0.6 s apart.
    rig.change(kTapParameter, 0.0, 0);
    rig.change(kTapParameter, 1.0, 100);
    rig.change(kTapParameter, 0.0, 200);
    rig.change(kTapParameter, 1.0, 28900);
    rig.process(audio, 0, 48000);
    EXPECT_EQ(rig.sent(Id(kTempo)), 100.0);
    EXPECT_NE(rig.sent(Id(kNoteValue)), 0.0);
}

// Tempo Lock on with no note value (a state may hold that) and a session
// tempo put the delay at 0 s; Note Value set to none then writes that 0
// into Delay Time, below its range. A host reads, hears of and saves it
// within the range, and what it saves reads back the same.
TEST_F(ClapPlugin, OwnWritesOutsideTheRangeReachTheHostWithinIt)
{
    ASSERT_TRUE(rig.load(WriteEffectState({{{Id(kTempoLock), 1.0}, {Id(kNoteValue), 0.0}}})));
    ASSERT_TRUE(rig.activate());
    std::vector<std::vector<float>> audio(1, std::vector<float>(64, 0.0f));
    const clap_event_transport_t transport = ClapRig::Transport(100.0);
    rig.process(audio, 0, 64, &transport);
    rig.change(Id(kNoteValue), 0.0);
    rig.process(audio, 0, 64);
    EXPECT_EQ(rig.sent(Id(kDelayTime)), 0.005);
    EXPECT_EQ(rig.value(Id(kDelayTime)), 0.005);
    const std::vector<std::uint8_t> saved = rig.saved();
    ASSERT_TRUE(rig.load(saved));
    EXPECT_EQ(rig.saved(), saved);
}

TEST_F(ClapPlugin, MetersAndSilenceGoOut)
{
    ASSERT_TRUE(rig.activate());
    std::vector<std::vector<float>> audio(1, std::vector<float>(256, 0.0f));
    audio[0][10] = 0.5f;
    rig.process(audio, 0, 256);
    EXPECT_EQ(rig.sent(kMeterParameters[0]), 0.5);
    EXPECT_EQ(rig.value(kMeterParameters[0]), 0.5);
    EXPECT_EQ(rig.constantMask, 0u);
    rig.change(Id(kHostBypassCode), 1.0);
    std::fill(audio[0].begin(), audio[0].end(), 0.0f);
    rig.process(audio, 0, 256);
    EXPECT_EQ(rig.constantMask, 1u);
}

TEST_F(ClapPlugin, StateRestoresTheValuesAndRefusesCorruptBytes)
{
    // Delay Time, then a note value: the delay stays 0.35 s.
    const auto configure = [](ClapRig& on) {
        on.change(Id(kDelayTime), 0.35);
        on.flush();
        ASSERT_TRUE(on.activate());
        std::vector<std::vector<float>> audio(1, std::vector<float>(64, 0.0f));
        on.process(audio, 0, 64);
        on.change(Id(kNoteValue), 3.0);
        on.process(audio, 0, 64);
    };
    configure(rig);
    const std::vector<std::uint8_t> saved = rig.saved();
    // Started with the same values (in host order Note Value, Delay Time,
    // then BPM: the BPM the plug-in chose keeps 0.35 s, as the core's
    // restore tests hear).
    ClapRig reference;
    for (const char* code : {kDelayTime, kNoteValue, kTempo})
        reference.change(Id(code), rig.value(Id(code)));
    reference.flush();
    ASSERT_TRUE(reference.activate());
    const std::vector<float> expected = reference.clicks(48000, 512);

    // Into a new instance, before it is activated and after: it reads the
    // same values back and sounds as the reference does.
    for (const bool activeFirst : {false, true}) {
        ClapRig fresh;
        if (activeFirst) {
            ASSERT_TRUE(fresh.activate());
        }
        ASSERT_TRUE(fresh.load(saved));
        EXPECT_EQ(fresh.rescans, 1);
        for (const ParameterInfo& parameter : description.parameters)
            EXPECT_EQ(fresh.value(parameter.identifier), rig.value(parameter.identifier))
                << parameter.code;
        if (!activeFirst) {
            ASSERT_TRUE(fresh.activate());
        }
        EXPECT_EQ(fresh.clicks(48000, 512), expected) << activeFirst;
    }

    // Corrupt: refused, nothing changed.
    std::vector<std::uint8_t> corrupt = saved;
    corrupt[corrupt.size() / 2] ^= 0x40;
    rig.change(Id(kFeedback), 2.0);
    rig.flush();
    EXPECT_FALSE(rig.load(corrupt));
    EXPECT_FALSE(rig.load({}));
    // Off the main thread, as the host's thread check says: refused.
    rig.mainThread = false;
    EXPECT_FALSE(rig.load(saved));
    EXPECT_TRUE(rig.saved().empty());
    EXPECT_EQ(rig.value(Id(kFeedback)), 2.0);
    EXPECT_EQ(rig.logged.size(), 4u);
}

} // namespace
