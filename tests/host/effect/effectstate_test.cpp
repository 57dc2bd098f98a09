// The saved state: its bytes read back as written, every kind of bad blob
// refused with its reason, and a session reopened in a fresh effect with
// the delay it was saved with, however the plug-in reached it.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "host/effect/effectstate.h"
#include "host/product/parametercodes.h"
#include "tests/host/effect/effectdriver.h"

namespace {

using Kind = EffectEvent::Kind;
using Bytes = std::vector<std::uint8_t>;

// Writes the trailing CRC-32 over the bytes before it, worked out bit by
// bit, to forge blobs with a valid checksum.
void Rechecksum(Bytes& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i + 4 < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ ((crc & 1u) != 0 ? 0xEDB88320u : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k)
        bytes[bytes.size() - 4 + k] = static_cast<std::uint8_t>(~crc >> (8 * k));
}

const EffectState kState = {{{FourCharacterCode(kFeedback), 7.5},
                             {FourCharacterCode("wobl"), -2.0},
                             {FourCharacterCode(kDelayTime), 0.3}}};

TEST(EffectStateBytes, ReadBackAsWrittenInTheirOrder)
{
    const Bytes bytes = WriteEffectState(kState);
    ASSERT_EQ(bytes.size(), 12u + 3 * 12 + 4);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TDST");
    EXPECT_EQ(bytes[4], kEffectStateVersion);
    Bytes rechecked = bytes;
    Rechecksum(rechecked);
    EXPECT_EQ(rechecked, bytes);
    const ReadStateResult read = ReadEffectState(bytes);
    ASSERT_TRUE(read.state) << read.refusal;
    EXPECT_EQ(read.state->values, kState.values);
    EXPECT_TRUE(ReadEffectState(WriteEffectState({})).state);

    // A value that is not a number is left out, so the rest still reads.
    EffectState withNan = kState;
    withNan.values.insert(withNan.values.begin() + 1, {0x2e62706d, std::nan("")});
    const ReadStateResult nanRead = ReadEffectState(WriteEffectState(withNan));
    ASSERT_TRUE(nanRead.state) << nanRead.refusal;
    EXPECT_EQ(nanRead.state->values, kState.values);
}

TEST(EffectStateBytes, RefusesEveryKindOfBadBlobWithItsReason)
{
    const Bytes good = WriteEffectState(kState);
    // good with the byte at `at` set to value, its checksum made to match
    // unless told otherwise.
    const auto with = [&](std::size_t at, std::uint8_t value, bool rechecksum = true) {
        Bytes bytes = good;
        bytes[at] = value;
        if (rechecksum)
            Rechecksum(bytes);
        return bytes;
    };
    Bytes longer = good;
    longer.push_back(0);
    struct Case {
        const char* what;
        Bytes bytes;
        const char* refusal;
    };
    std::vector<Case> cases = {
        {"empty", {}, "not a tape delay state"},
        {"short", Bytes(good.begin(), good.begin() + 10), "truncated: 10 bytes"},
        {"truncated", Bytes(good.begin(), good.end() - 1), "truncated: 51 bytes of 52"},
        {"longer", longer, "1 bytes after the state"},
        {"wrong magic", with(0, 'X'), "not a tape delay state"},
        {"later version", with(4, kEffectStateVersion + 1), "a state of a later version (2)"},
        {"bad checksum", with(20, good[20] ^ 0x10, false), "damaged: the checksum does not match"},
        // A count no blob of this size holds.
        {"huge count", with(11, 0xFF), "truncated: 52 bytes of"},
    };
    // The writer leaves such values out: the blobs are made by hand.
    for (const double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        Bytes blob = WriteEffectState(
            {{{FourCharacterCode(kFeedback), 5.0}, {FourCharacterCode(kMode), 1.0}}});
        const auto bits = std::bit_cast<std::uint64_t>(bad);
        for (int i = 0; i < 8; ++i) // the second pair's value
            blob[28 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
        Rechecksum(blob);
        cases.push_back({"not finite", blob, "the value of mode is not a finite number"});
    }

    for (const Case& bad : cases) {
        const ReadStateResult read = ReadEffectState(bad.bytes);
        EXPECT_FALSE(read.state) << bad.what;
        EXPECT_EQ(read.refusal.rfind(bad.refusal, 0), 0u) << bad.what << ": " << read.refusal;
        EXPECT_EQ(read.refusal.find('\n'), std::string::npos) << bad.what;
    }
}

class EffectRestore : public ::testing::Test {
protected:
    std::uint32_t index(const char* code) const
    {
        return static_cast<std::uint32_t>(*saved.description().find(code));
    }

    // The saved effect reopened: its state through bytes into a fresh one.
    std::unique_ptr<Effect> reopened()
    {
        const ReadStateResult read = ReadEffectState(WriteEffectState(saved.state()));
        if (!read.state)
            throw std::runtime_error(read.refusal);
        auto effect = std::make_unique<Effect>(library, EffectSettings{kRate, 4800, 1});
        effect->restore(*read.state);
        return effect;
    }

    // Where the loudest echo of a click comes back, in frames.
    static std::size_t EchoDelay(Effect& effect)
    {
        std::vector<float> click(48000, 0.0f);
        click[100] = 0.8f;
        const std::vector<float> out = RunMono(effect, click, {}, {4800});
        const auto loudest = std::max_element(out.begin() + 1000, out.end(), [](float a, float b) {
            return std::fabs(a) < std::fabs(b);
        });
        return static_cast<std::size_t>(loudest - out.begin()) - 100;
    }

    void expectReopenedAsSaved(double delaySeconds)
    {
        const std::unique_ptr<Effect> effect = reopened();
        for (std::size_t i = 0; i < saved.parameterCount(); ++i) {
            EXPECT_EQ(effect->value(i), saved.value(i)) << saved.description().parameters[i].code;
            EXPECT_EQ(effect->hostValue(i), saved.value(i));
        }
        // The delay heard, within the wow and flutter.
        EXPECT_NEAR(static_cast<double>(EchoDelay(*effect)), delaySeconds * kRate, 0.002 * kRate);
    }

    PluginLibrary library{TAPEDELAY_PLUGIN_FILE};
    Effect saved{library, {kRate, 4800, 1}};
};

// 0.3 s, then an 8th: the plug-in sets 100 BPM, which the host never did.
TEST_F(EffectRestore, ANoteValueChosenOverAFreeDelayKeepsItsDelay)
{
    saved.set(index(kDelayTime), 0.3);
    RunSilence(saved, 9600, {{4800, Kind::change, index(kNoteValue), 3.0}});
    ASSERT_EQ(saved.value(index(kTempo)), 100.0);
    expectReopenedAsSaved(0.3);
}

// Presses 0.4 s apart: 150 BPM, an 8th of 0.2 s.
TEST_F(EffectRestore, TappedTempoKeepsItsDelay)
{
    RunSilence(saved, 48000,
               {{0, Kind::tap, 0, 0.0},
                {4800, Kind::tap, 0, 1.0},
                {4900, Kind::tap, 0, 0.0},
                {24000, Kind::tap, 0, 1.0},
                {24100, Kind::tap, 0, 0.0}});
    ASSERT_EQ(saved.value(index(kTempo)), 150.0);
    expectReopenedAsSaved(0.2);
}

// Values out of range are clamped, unknown codes and non-finite values
// skipped, the rest left as they were; the Tap control's edge starts again.
TEST_F(EffectRestore, TakesOnlyWhatThePluginCanRun)
{
    Effect effect(library, {kRate, 4800, 1});
    effect.set(index(kMode), 0.0);
    effect.restore({{{FourCharacterCode(kFeedback), 20.0},
                     {FourCharacterCode("wobl"), 3.0},
                     {FourCharacterCode(kBlend), std::nan("")},
                     {FourCharacterCode(kDelayTime), 0.001}}});
    EXPECT_EQ(effect.value(index(kFeedback)), 9.0);
    EXPECT_EQ(effect.value(index(kDelayTime)), 0.005);
    EXPECT_EQ(effect.value(index(kBlend)), 5.0);
    // The host's view is what was restored: the Mode it set before is gone.
    EXPECT_EQ(effect.hostValue(index(kMode)), effect.value(index(kMode)));
    EXPECT_EQ(effect.value(index(kMode)), 1.0);

    // A press, a restore, then the Tap control down (303 BPM after the
    // press, were it one) and a press 0.5 s after the first: the first Tap
    // value after the restore only sets the edge, and no interval spans the
    // restore, so nothing is tapped (a tap would choose a note).
    RunSilence(effect, 9600, {{0, Kind::tap, 0, 0.0}, {100, Kind::tap, 0, 1.0}});
    effect.restore(effect.state());
    RunSilence(effect, 48000,
               {{0, Kind::tap, 0, 1.0}, {100, Kind::tap, 0, 0.0}, {14400, Kind::tap, 0, 1.0}});
    EXPECT_EQ(effect.value(index(kTempo)), 120.0);
    EXPECT_EQ(effect.value(index(kNoteValue)), 0.0);
}

} // namespace
