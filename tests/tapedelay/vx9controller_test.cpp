// The controller as a wrapper sees it: blocks, declarations, notifications
// and the values the parameter operations compute. What the voicing sounds
// like is tested on rendered audio (vx9voicing_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/recordingfactory.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Db(double db)
{
    return std::pow(10.0, db / 20.0);
}

// The log in short, one word per call: the block as S, C, A or T (smoothed,
// coefficients, atomic, comb table), then ".name" for a change or "!" for a
// publication.
std::string Short(const std::vector<std::string>& log)
{
    std::string text;
    for (const std::string& entry : log) {
        const std::size_t end = entry.find_first_of(". ");
        // The letter after "VX9" names the block, but for the comb table's.
        text += (text.empty() ? "" : " ") + entry.substr(entry.compare(3, 4, "Comb") ? 3 : 7, 1);
        text += entry[end] == '.' ? entry.substr(end) : "!";
    }
    return text;
}

// Declarations as "name@offset/size:type", in index order.
template <class Decls>
std::string DeclText(const Decls& decls)
{
    std::string text;
    for (const auto& d : decls)
        text += std::string(d.name) + "@" + std::to_string(d.offset) + "/" +
                std::to_string(d.size) + ":" + std::to_string(d.type) + " ";
    return text;
}

TEST(VX9Controller, SetupCreatesAndDeclaresFourBlocks)
{
    VX9ControllerRig rig(44100.0f);
    const auto& blocks = rig.factory.blocks;
    ASSERT_EQ(blocks.size(), 4u);
    const char* names[] = {"VX9SmoothedCoeffsT", "VX9CoeffsT", "VX9AtomicCoeffsT", "VX9CombTableT"};
    const std::uint32_t sizes[] = {40, 184, 112, 144};
    const std::span<const VX9CoeffDecl> tables[] = {
        kVX9SmoothedDecls, kVX9CoeffDecls, kVX9AtomicDecls, {}};
    for (int b = 0; b < 4; ++b) {
        SCOPED_TRACE(names[b]);
        EXPECT_EQ(blocks[b]->name, names[b]);
        EXPECT_EQ(blocks[b]->size, sizes[b]);
        EXPECT_EQ(blocks[b]->smoothed, b == 0);
        // Each block learns exactly its area's values, indexed by position.
        EXPECT_EQ(DeclText(blocks[b]->decls), DeclText(tables[b]));
    }
    // Set-up designs the tone low-pass and the band splitter, nothing else.
    EXPECT_EQ(Short(rig.factory.log), "C.lpA A! C! C! C!");
    EXPECT_EQ(rig.factory.coeffs().phase, 0.0);

    // A new rate: a new set of blocks, declared again.
    EXPECT_EQ(rig.framework().Setup(HuxSetup{0.0, 96000.0f}, &rig.factory).code, 0);
    ASSERT_EQ(blocks.size(), 8u);
    EXPECT_EQ(blocks[5]->decls.size(), 23u);
}

TEST(VX9Controller, OperationsNotifyInTheirStatedOrder)
{
    VX9ControllerRig rig(48000.0f);
    rig.voice(kRetro, kNormal, 0.3, 5.0);
    IIVX9Controller& ops = rig.ops();
    const std::string splitter = "A! C! C! C!";
    const std::string staging =
        "C.preLimiterGain C.postDistortionGain C.limiterThreshold C.limiterMakeup";
    const std::string comb = "C.combGain T!";
    const std::string dcBlocker = "A.hpA A.hpB";
    const std::tuple<const char*, std::function<void()>, std::string> cases[] = {
        {"setTone", [&] { ops.setTone(kBright); },
         dcBlocker + " C.lpA " + splitter + " " + staging + " " + comb},
        {"setMode", [&] { ops.setMode(kVintage); },
         "C.gatedPostDistortionGain A! C.noiseA C.noiseGain A! " + splitter + " " + staging + " " +
             comb + " C.lpA " + dcBlocker + " C.flutterGain C.wowGain A!"},
        {"setFeedback", [&] { ops.setFeedback(6.0); }, "C.inputRecordGain S.feedbackGain"},
        {"setBlend", [&] { ops.setBlend(3.0); }, "S.wetGain S.dryGain"},
        {"setInput", [&] { ops.setInput(2.0); }, "S.inputGain"},
        {"setOutput", [&] { ops.setOutput(2.0); }, "S.outputGain"},
        {"setDelayTime", [&] { ops.setDelayTime(1.0); }, "C.phase"},
        {"setBypassed", [&] { ops.setBypassed(true); },
         "S.inputGain S.outputGain S.wetGain S.dryGain"},
        {"restartGate(false)", [&] { ops.restartGate(false); }, ""},
        {"Reset", [&] { rig.framework().Reset(); }, "C.gatedPostDistortionGain"},
        {"setTimeGlide(false) again", [&] { ops.setTimeGlide(false); }, ""},
        {"setTimeGlide(true)", [&] { ops.setTimeGlide(true); }, "C.phaseRate"},
        {"setTimeGlide(true) again", [&] { ops.setTimeGlide(true); }, ""},
    };
    for (const auto& [what, call, expected] : cases) {
        rig.factory.log.clear();
        call();
        EXPECT_EQ(Short(rig.factory.log), expected) << what;
    }
}

TEST(VX9Controller, DialsSpanTheirRangesAndBypassRestoresThem)
{
    VX9ControllerRig rig(44100.0f);
    IIVX9Controller& ops = rig.ops();
    using Op = void (IIVX9Controller::*)(double);
    const auto after = [&](Op op, double dial) {
        (ops.*op)(dial);
        return rig.factory.smoothed();
    };
    // Input: -12 dB at 1 (and below it, and for NaN), unity at 5, +12 dB at
    // 9; Output reaches +15 dB.
    for (double low : {1.0, -3.0, kNaN})
        EXPECT_DOUBLE_EQ(after(&IIVX9Controller::setInput, low).inputGain, Db(-12.0)) << low;
    EXPECT_EQ(after(&IIVX9Controller::setInput, 5.0).inputGain, 1.0);
    EXPECT_DOUBLE_EQ(after(&IIVX9Controller::setInput, 9.0).inputGain, Db(12.0));
    EXPECT_DOUBLE_EQ(after(&IIVX9Controller::setOutput, 12.0).outputGain, Db(15.0));
    // Blend: equal in the middle; at the ends one side at unity, the other
    // at -52 dB.
    VX9SmoothedCoeffs s = after(&IIVX9Controller::setBlend, 5.0);
    EXPECT_EQ(s.wetGain, s.dryGain);
    EXPECT_NEAR(s.wetGain, 0.3470, 5e-5);
    s = after(&IIVX9Controller::setBlend, 1.0);
    EXPECT_EQ(s.dryGain, 1.0);
    EXPECT_DOUBLE_EQ(s.wetGain, Db(-52.0));
    s = after(&IIVX9Controller::setBlend, 9.0);
    EXPECT_EQ(s.wetGain, 1.0);
    EXPECT_DOUBLE_EQ(s.dryGain, Db(-52.0));

    // Bypassed: unity and fully dry, whatever the dials do meanwhile; then
    // the dials applied before come back.
    const VX9SmoothedCoeffs before = after(&IIVX9Controller::setOutput, 3.0);
    ops.setBypassed(true);
    ops.setInput(2.0);
    s = after(&IIVX9Controller::setBlend, 2.0);
    EXPECT_EQ((std::vector{s.wetGain, s.dryGain, s.inputGain, s.outputGain}),
              (std::vector{0.0, 1.0, 1.0, 1.0}));
    ops.setBypassed(false);
    s = rig.factory.smoothed();
    EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0);
}

// How the dial shapes the gain is heard in the voicing tests; here: the
// clamped ends, the record gain, and that a mode change waits for the next
// call.
TEST(VX9Controller, FeedbackLawIsTheModeAtTheTimeOfTheCall)
{
    VX9ControllerRig rig(48000.0f);
    IIVX9Controller& ops = rig.ops();
    const auto feedback = [&](double dial) {
        ops.setFeedback(dial);
        return std::pair{rig.factory.smoothed().feedbackGain, rig.factory.coeffs().inputRecordGain};
    };
    EXPECT_EQ(feedback(-1.0), std::pair(0.0, 0.85)); // Retro, the starting mode
    EXPECT_DOUBLE_EQ(feedback(9.0).first, 1.15);
    ops.setMode(kVintage);
    EXPECT_DOUBLE_EQ(rig.factory.smoothed().feedbackGain, 1.15);
    EXPECT_EQ(rig.factory.coeffs().inputRecordGain, 0.85);
    EXPECT_DOUBLE_EQ(feedback(20.0).first, 0.68);
    EXPECT_EQ(feedback(20.0).second, 1.0);
    ops.setMode(kModern);
    EXPECT_EQ(feedback(0.0), std::pair(0.0, 1.0));
}

TEST(VX9Controller, DelayTimeIsClampedAndLinear)
{
    VX9ControllerRig rig(44100.0f);
    IIVX9Controller& ops = rig.ops();
    const auto phaseFor = [&](double seconds) {
        ops.setDelayTime(seconds);
        return rig.factory.coeffs().phase;
    };
    EXPECT_EQ(phaseFor(0.5), 33904640.0);
    // One sample further back per 1/44100 s, in 1/512 sample.
    EXPECT_EQ(phaseFor(0.5) - phaseFor(2.0), 1.5 * 44100 * 512);
    EXPECT_EQ(phaseFor(0.5) - phaseFor(0.005), -0.495 * 44100 * 512);
    EXPECT_EQ(phaseFor(10.0), phaseFor(2.0));
    EXPECT_EQ(phaseFor(0.0), phaseFor(0.005));
    EXPECT_EQ(phaseFor(kNaN), phaseFor(0.005));
    EXPECT_EQ(phaseFor(std::numeric_limits<double>::infinity()), phaseFor(2.0));
}

TEST(VX9Controller, RefusedSetupsAndEarlyCalls)
{
    for (float rate : {300000.0f, 204001.0f, 8000.0f, 0.0f, -48000.0f,
                       std::numeric_limits<float>::quiet_NaN()}) {
        RecordingFactory factory;
        VX9AlgorithmController controller;
        IIHux::AlgorithmController& framework = controller;
        // The text is the rate brackets', checked with the algorithm's set-up.
        EXPECT_THROW(framework.Setup(HuxSetup{0.0, rate}, &factory), std::runtime_error) << rate;
        // The rate and the blocks were in place before the refusal.
        const float stored = controller.GetSampleRate();
        EXPECT_EQ(std::memcmp(&stored, &rate, sizeof rate), 0) << rate;
        EXPECT_EQ(factory.blocks.size(), 4u) << rate;
    }

    VX9AlgorithmController early;
    EXPECT_THROW(early.setMode(1), std::logic_error);
    IIHux::AlgorithmController& framework = early;
    EXPECT_THROW(framework.Setup(HuxSetup{0.0, 48000.0f}, nullptr), std::invalid_argument);
}

} // namespace
