// The core as every adapter drives it: the same audio as the command's
// instance for the same starting values and events at the same frames,
// whatever the runs; stereo as two mono runs; taps by their edges; the
// plug-in's own writes handed over; the host's floating-point modes kept out.
#include <gtest/gtest.h>

#include <cfenv>
#include <utility>
#include <vector>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "host/product/parametercodes.h"
#include "tests/host/effect/effectdriver.h"

namespace {

using Kind = EffectEvent::Kind;

class EffectTest : public ::testing::Test {
protected:
    std::uint32_t index(const char* code) const
    {
        return static_cast<std::uint32_t>(*reference.description().find(code));
    }

    PluginLibrary library{TAPEDELAY_PLUGIN_FILE};
    // For the parameters' indices.
    PluginInstance reference{library, {}};
};

TEST_F(EffectTest, RunsAsTheCommandRunsAnInstanceWhateverTheRuns)
{
    const std::vector<float> in = Clicks(40000);
    // Frame 0 of the first run: starting values and the session tempo.
    const std::vector<TimedEvent> startEvents = {
        {0, Kind::change, index(kTempoLock), 1.0},
        {0, Kind::tempo, 0, 90.0},
        {0, Kind::change, index(kNoteValue), 4.0},
    };
    // Later, at odd frames; two due together at 7777. A tempo above the
    // range reaches the plug-in as its highest, 500 BPM.
    const std::vector<TimedEvent> later = {
        {1001, Kind::change, index(kFeedback), 7.0},   {7777, Kind::tempo, 0, 1000.0},
        {7777, Kind::change, index(kNoteValue), 3.0},  {7777, Kind::change, index(kMode), 0.0},
        {20011, Kind::change, index(kTempoLock), 0.0}, {33333, Kind::change, index(kTone), 2.0},
    };
    std::vector<TimedEvent> events = startEvents;
    events.insert(events.end(), later.begin(), later.end());
    std::vector<TimedEvent> clamped = later;
    clamped[1].value = 500.0;
    const std::vector<float> expected = Reference(
        library, {{index(kTempoLock), 1.0}, {index(kNoteValue), 4.0}, {index(kBlend), 7.0}}, in,
        clamped, 90.0);

    for (const std::vector<std::uint32_t>& lengths :
         std::vector<std::vector<std::uint32_t>>{{40000}, {1, 7, 511, 3000}, {4096}, {97}}) {
        Effect effect(library, {kRate, 512, 1});
        effect.set(index(kBlend), 7.0); // a starting value set before the run
        EXPECT_EQ(RunMono(effect, in, events, lengths), expected) << "runs of " << lengths[0];
        EXPECT_EQ(effect.value(index(kShownSessionTempo)), 500.0);
    }
}

TEST_F(EffectTest, StereoIsTwoMonoRunsWithOneSetting)
{
    std::vector<float> quieter = Clicks(20000, 1.0f);
    for (float& x : quieter)
        x *= 0.5f;
    const std::vector<std::vector<float>> in = {Clicks(20000), quieter};
    const std::vector<TimedEvent> events = {{0, Kind::change, index(kFeedback), 8.0},
                                            {5555, Kind::change, index(kDelayTime), 0.12}};
    Effect stereo(library, {kRate, 256, 2});
    const std::vector<std::vector<float>> both = RunEffect(stereo, in, events, {300});
    std::vector<float> inputPeaks;
    for (std::size_t c = 0; c < 2; ++c) {
        Effect mono(library, {kRate, 256, 1});
        EXPECT_EQ(RunMono(mono, in[c], events, {300}), both[c]) << "channel " << c;
        inputPeaks.push_back(mono.inputMeter());
    }
    // The last run's peaks over both channels: the first's input is the louder.
    EXPECT_EQ(stereo.inputMeter(), std::max(inputPeaks[0], inputPeaks[1]));
    EXPECT_GT(inputPeaks[0], inputPeaks[1]);
}

// Presses 0.5 s and then 0.4 s apart tap 120 and 150 BPM at the frames of
// the second and third press; the first value only sets the edge, so a
// control left down is no press; a tempo out of range is not tapped, but
// its press starts the next interval.
TEST_F(EffectTest, TapsAreRisingEdgesTimedToTheFrame)
{
    const std::vector<float> in = Clicks(120000);
    // The Tap control's values (held down at 1500: no press), and a Note
    // Value due with the tap that would choose a note: the host's Quarter
    // stands, as it does on the command line.
    const std::vector<TimedEvent> taps = {
        {0, Kind::tap, 0, 1.0},     {50, Kind::tap, 0, 0.0},
        {1000, Kind::tap, 0, 1.0},  {1500, Kind::tap, 0, 1.0},
        {2000, Kind::tap, 0, 0.0},  {25000, Kind::tap, 0, 1.0},
        {25001, Kind::tap, 0, 0.0}, {44200, Kind::tap, 0, 1.0},
        {44300, Kind::tap, 0, 0.0}, {25000, Kind::change, index(kNoteValue), 4.0}};
    const std::vector<TimedEvent> tapped = {{25000, Kind::tap, 0, 120.0},
                                            {25000, Kind::change, index(kNoteValue), 4.0},
                                            {44200, Kind::tap, 0, 150.0}};
    const std::vector<float> expected = Reference(library, {}, in, tapped);
    for (const std::vector<std::uint32_t>& lengths :
         std::vector<std::vector<std::uint32_t>>{{480}, {25000, 1, 19199, 3}}) {
        Effect effect(library, {kRate, 1024, 1});
        EXPECT_EQ(RunMono(effect, in, taps, lengths), expected);
        EXPECT_EQ(effect.value(index(kTempo)), 150.0);
        EXPECT_EQ(effect.value(index(kNoteValue)), 4.0);
    }

    // 13.1 s apart is below 5 BPM: no tempo; 0.5 s after it, 120 BPM.
    Effect effect(library, {kRate, 4800, 1});
    const auto press = [&](std::uint64_t runsBefore) {
        const std::uint64_t at = 4800 * runsBefore;
        RunSilence(effect, at + 4800, {{at, Kind::tap, 0, 1.0}, {at + 10, Kind::tap, 0, 0.0}});
    };
    RunSilence(effect, 4800, {{0, Kind::tap, 0, 0.0}});
    press(0);
    press(3); // 0.4 s: 150 BPM
    press(130);
    EXPECT_EQ(effect.value(index(kTempo)), 150.0);
    press(4);
    EXPECT_EQ(effect.value(index(kTempo)), 120.0);
}

TEST_F(EffectTest, HandsOverWhatThePluginSetItself)
{
    Effect effect(library, {kRate, 512, 1});
    effect.set(index(kDelayTime), 0.3);
    RunSilence(effect, 512, {}, 512);
    RunSilence(effect, 512, {{0, Kind::change, index(kNoteValue), 3.0}}, 512);

    // The 8th keeps the delay of 0.3 s: 100 BPM, which the host never set.
    std::vector<std::pair<std::size_t, double>> written;
    effect.takeOwnWrites([&](std::size_t i, double value) { written.emplace_back(i, value); });
    EXPECT_NE(std::find(written.begin(), written.end(),
                        std::pair<std::size_t, double>(index(kTempo), 100.0)),
              written.end());
    for (const auto& [i, value] : written) {
        EXPECT_NE(i, index(kNoteValue)); // the host's own change
        EXPECT_EQ(effect.hostValue(i), value);
    }
    written.clear();
    effect.takeOwnWrites([&](std::size_t i, double value) { written.emplace_back(i, value); });
    EXPECT_TRUE(written.empty());

    // Runs that change nothing leave the revision still (adapters skip their
    // walks over the values then); a new session tempo moves it, and the
    // tempo the plug-in shows comes through.
    const std::uint64_t still = effect.revision();
    RunSilence(effect, 512, {}, 512);
    EXPECT_EQ(effect.revision(), still);
    RunSilence(effect, 512, {{0, Kind::tempo, 0, 140.0}}, 512);
    EXPECT_NE(effect.revision(), still);
    effect.takeOwnWrites([&](std::size_t i, double value) { written.emplace_back(i, value); });
    EXPECT_EQ(written,
              (std::vector<std::pair<std::size_t, double>>{{index(kShownSessionTempo), 140.0}}));
}

// The host's values are clamped; display values, NaN and indices past the
// parameters are no values a host may set.
TEST_F(EffectTest, SetKeepsToWhatAHostMaySet)
{
    Effect effect(library, {kRate, 512, 1});
    effect.set(index(kFeedback), 12.0);
    effect.set(index(kBlend), std::nan(""));
    effect.set(index(kShownTempoDelay), 1.0);
    effect.set(effect.parameterCount(), 1.0);
    EXPECT_EQ(effect.hostValue(index(kFeedback)), 9.0);
    EXPECT_EQ(effect.hostValue(index(kBlend)), 5.0);
    EXPECT_EQ(effect.hostValue(index(kShownTempoDelay)), 0.5);
    EXPECT_EQ(effect.value(effect.parameterCount()), 0.0);
    RunSilence(effect, 64);
    EXPECT_EQ(effect.value(index(kFeedback)), 9.0);
    EXPECT_FALSE(effect.failed());
    EXPECT_THROW((Effect{library, EffectSettings{kRate, 512, 3}}), std::invalid_argument);
}

// A host may set up and run the effect on threads with denormals flushed
// to zero or another rounding: the tape sounds the same, whether its
// setting came by set() or by restore(), and the host gets its modes back.
TEST_F(EffectTest, TheHostsFloatingPointModesDoNotReachTheTape)
{
    const std::vector<float> in = Clicks(30000);
    const std::vector<float> expected = Reference(library, {{index(kFeedback), 7.0}}, in);
    for (const bool flushDenormals : {false, true})
        for (const bool restored : {false, true}) {
            std::fenv_t before;
            std::fegetenv(&before);
            std::fesetround(FE_UPWARD);
#if defined(__SSE__)
            const unsigned beforeSse = _mm_getcsr();
            if (flushDenormals)
                _mm_setcsr(_mm_getcsr() | 0x8040); // flush to zero, denormals are zero
            const unsigned hosts = _mm_getcsr();
#endif
            Effect effect(library, {kRate, 1024, 1});
            if (restored)
                effect.restore({{{FourCharacterCode(kFeedback), 7.0}}});
            else
                effect.set(index(kFeedback), 7.0);
            const std::vector<float> out = RunMono(effect, in, {}, {1024});
            EXPECT_EQ(std::fegetround(), FE_UPWARD);
#if defined(__SSE__)
            EXPECT_EQ(_mm_getcsr(), hosts);
            _mm_setcsr(beforeSse); // MinGW's environments leave the SSE unit alone
#endif
            std::fesetenv(&before);
            EXPECT_EQ(out, expected)
                << "denormals flushed " << flushDenormals << ", restored " << restored;
        }
}

} // namespace
