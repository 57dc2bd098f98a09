// The controller as a wrapper sees it: blocks, declarations, notifications
// and the values the parameter operations compute.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "recordingfactory.h"

namespace {

using Log = std::vector<std::string>;

std::vector<RecordedDecl> ByIndex(std::vector<RecordedDecl> decls)
{
    std::sort(decls.begin(), decls.end(),
              [](const RecordedDecl& a, const RecordedDecl& b) { return a.index < b.index; });
    return decls;
}

double Db(double db)
{
    return std::pow(10.0, db / 20.0);
}

TEST(VX9Controller, SetupCreatesAndDeclaresFourBlocks)
{
    VX9ControllerRig rig(44100.0f);
    const auto& blocks = rig.factory.blocks;
    ASSERT_EQ(blocks.size(), 4u);
    const std::string names[] = {"VX9SmoothedCoeffsT", "VX9CoeffsT", "VX9AtomicCoeffsT",
                                 "VX9CombTableT"};
    const std::uint32_t sizes[] = {40, 184, 112, 144};
    const std::span<const VX9CoeffDecl> tables[] = {
        kVX9SmoothedDecls, kVX9CoeffDecls, kVX9AtomicDecls, {}};
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(blocks[b]->name, names[b]);
        EXPECT_EQ(blocks[b]->size, sizes[b]);
        EXPECT_EQ(blocks[b]->smoothed, b == 0);
        // Each block learns exactly its area's values, indexed by position.
        const auto decls = ByIndex(blocks[b]->decls);
        ASSERT_EQ(decls.size(), tables[b].size()) << names[b];
        for (std::uint32_t i = 0; i < decls.size(); ++i) {
            EXPECT_EQ(decls[i].index, i) << names[b];
            EXPECT_EQ(decls[i].name, tables[b][i].name);
            EXPECT_EQ(decls[i].offset, tables[b][i].offset) << decls[i].name;
            EXPECT_EQ(decls[i].size, tables[b][i].size) << decls[i].name;
            EXPECT_EQ(decls[i].type, tables[b][i].type) << decls[i].name;
        }
    }
    const auto coeffs = ByIndex(blocks[1]->decls);
    EXPECT_EQ(coeffs[13].name, "limiterMakeup");
    EXPECT_EQ(coeffs[13].offset, 104u);
    const auto atomic = ByIndex(blocks[2]->decls);
    EXPECT_EQ(atomic[10].name, "noiseCoeffs2");
    EXPECT_EQ(atomic[10].offset, 92u);
    EXPECT_EQ(atomic[10].size, 20u);
    EXPECT_EQ(atomic[10].type, KtType::kPod);

    // Set-up designs the tone low-pass and the band splitter; everything
    // else is still zero.
    EXPECT_EQ(rig.factory.log,
              (Log{"VX9CoeffsT.lpA", "VX9AtomicCoeffsT publish", "VX9CoeffsT publish",
                   "VX9CoeffsT publish", "VX9CoeffsT publish"}));
    EXPECT_EQ(rig.factory.coeffs().phase, 0.0);
    EXPECT_EQ(rig.factory.coeffs().gatedPostDistortionGain, 0.0);
    EXPECT_EQ(rig.factory.atomic().hpA, 0.0);
    EXPECT_EQ(rig.factory.atomic().noiseCoeffs.b0, 0.0f);

    // A new rate: a new set of blocks, declared again.
    EXPECT_EQ(rig.framework().Setup(HuxSetup{0.0, 96000.0f}, &rig.factory).code, 0);
    ASSERT_EQ(blocks.size(), 8u);
    EXPECT_EQ(blocks[5]->decls.size(), 23u);
}

TEST(VX9Controller, OperationsNotifyInTheirStatedOrder)
{
    VX9ControllerRig rig(48000.0f);
    rig.voice(1, 0, 0.3, 5.0);
    IIVX9Controller& ops = rig.ops();
    const Log bandSplitter = {"VX9AtomicCoeffsT publish", "VX9CoeffsT publish",
                              "VX9CoeffsT publish", "VX9CoeffsT publish"};
    const Log gainStaging = {"VX9CoeffsT.preLimiterGain", "VX9CoeffsT.postDistortionGain",
                             "VX9CoeffsT.limiterThreshold", "VX9CoeffsT.limiterMakeup"};
    const Log comb = {"VX9CoeffsT.combGain", "VX9CombTableT publish"};
    const Log dcBlocker = {"VX9AtomicCoeffsT.hpA", "VX9AtomicCoeffsT.hpB"};
    const Log toneLowPass = {"VX9CoeffsT.lpA"};
    const auto join = [](std::initializer_list<Log> parts) {
        Log all;
        for (const Log& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };

    struct Case {
        const char* what;
        std::function<void()> call;
        Log expected;
    };
    const Case cases[] = {
        {"setTone", [&] { ops.setTone(2); },
         join({dcBlocker, toneLowPass, bandSplitter, gainStaging, comb})},
        {"setMode", [&] { ops.setMode(0); },
         join({{"VX9CoeffsT.gatedPostDistortionGain", "VX9AtomicCoeffsT publish",
                "VX9CoeffsT.noiseA", "VX9CoeffsT.noiseGain", "VX9AtomicCoeffsT publish"},
               bandSplitter,
               gainStaging,
               comb,
               toneLowPass,
               dcBlocker,
               {"VX9CoeffsT.flutterGain", "VX9CoeffsT.wowGain", "VX9AtomicCoeffsT publish"}})},
        {"setFeedback",
         [&] { ops.setFeedback(6.0); },
         {"VX9CoeffsT.inputRecordGain", "VX9SmoothedCoeffsT.feedbackGain"}},
        {"setBlend",
         [&] { ops.setBlend(3.0); },
         {"VX9SmoothedCoeffsT.wetGain", "VX9SmoothedCoeffsT.dryGain"}},
        {"setInput", [&] { ops.setInput(2.0); }, {"VX9SmoothedCoeffsT.inputGain"}},
        {"setOutput", [&] { ops.setOutput(2.0); }, {"VX9SmoothedCoeffsT.outputGain"}},
        {"setDelayTime", [&] { ops.setDelayTime(1.0); }, {"VX9CoeffsT.phase"}},
        {"setBypassed",
         [&] { ops.setBypassed(true); },
         {"VX9SmoothedCoeffsT.inputGain", "VX9SmoothedCoeffsT.outputGain",
          "VX9SmoothedCoeffsT.wetGain", "VX9SmoothedCoeffsT.dryGain"}},
        {"restartGate(false)", [&] { ops.restartGate(false); }, {}},
        {"Reset",
         [&] { EXPECT_EQ(rig.framework().Reset().code, 0); },
         {"VX9CoeffsT.gatedPostDistortionGain"}},
        {"setTimeGlide(false) again", [&] { ops.setTimeGlide(false); }, {}},
        {"setTimeGlide(true)", [&] { ops.setTimeGlide(true); }, {"VX9CoeffsT.phaseRate"}},
        {"setTimeGlide(true) again", [&] { ops.setTimeGlide(true); }, {}},
    };
    for (const Case& c : cases) {
        rig.factory.log.clear();
        c.call();
        EXPECT_EQ(rig.factory.log, c.expected) << c.what;
    }
}

TEST(VX9Controller, DialsGiveTheirGains)
{
    VX9ControllerRig rig(44100.0f);
    IIVX9Controller& ops = rig.ops();
    const auto gains = [&] { return rig.factory.smoothed(); };

    ops.setInput(5.0);
    EXPECT_EQ(gains().inputGain, 1.0);
    for (double low : {1.0, 0.0, -3.0, std::numeric_limits<double>::quiet_NaN()}) {
        ops.setInput(low);
        EXPECT_DOUBLE_EQ(gains().inputGain, Db(-12.0)) << low;
    }
    ops.setInput(9.0);
    EXPECT_DOUBLE_EQ(gains().inputGain, Db(12.0));
    ops.setOutput(1.0);
    EXPECT_DOUBLE_EQ(gains().outputGain, Db(-12.0));
    ops.setOutput(12.0);
    EXPECT_DOUBLE_EQ(gains().outputGain, Db(15.0));

    ops.setBlend(5.0);
    EXPECT_EQ(gains().wetGain, gains().dryGain);
    EXPECT_NEAR(gains().wetGain, 0.3470, 5e-5);
    ops.setBlend(1.0);
    EXPECT_EQ(gains().dryGain, 1.0);
    EXPECT_DOUBLE_EQ(gains().wetGain, std::pow(10.0, -2.6));
    ops.setBlend(9.0);
    EXPECT_EQ(gains().wetGain, 1.0);
    EXPECT_DOUBLE_EQ(gains().dryGain, std::pow(10.0, -2.6));
}

TEST(VX9Controller, BypassIsUnityDryAndRestoresTheDials)
{
    VX9ControllerRig rig(48000.0f);
    IIVX9Controller& ops = rig.ops();
    ops.setInput(7.0);
    ops.setOutput(3.0);
    ops.setBlend(6.0);
    const VX9SmoothedCoeffs before = rig.factory.smoothed();

    ops.setBypassed(true);
    ops.setInput(9.0);
    ops.setBlend(2.0);
    VX9SmoothedCoeffs s = rig.factory.smoothed();
    EXPECT_EQ(s.inputGain, 1.0);
    EXPECT_EQ(s.outputGain, 1.0);
    EXPECT_EQ(s.wetGain, 0.0);
    EXPECT_EQ(s.dryGain, 1.0);

    ops.setBypassed(false);
    s = rig.factory.smoothed();
    EXPECT_EQ(s.inputGain, before.inputGain);
    EXPECT_EQ(s.outputGain, before.outputGain);
    EXPECT_EQ(s.wetGain, before.wetGain);
    EXPECT_EQ(s.dryGain, before.dryGain);
}

TEST(VX9Controller, FeedbackLawIsTheModeAtTheTimeOfTheCall)
{
    VX9ControllerRig rig(48000.0f);
    IIVX9Controller& ops = rig.ops();
    const auto feedback = [&] { return rig.factory.smoothed().feedbackGain; };
    const auto recordGain = [&] { return rig.factory.coeffs().inputRecordGain; };

    // Retro (the starting mode).
    ops.setFeedback(1.0);
    EXPECT_EQ(feedback(), 0.0);
    EXPECT_EQ(recordGain(), 0.85);
    ops.setFeedback(9.0);
    EXPECT_DOUBLE_EQ(feedback(), 1.15);
    ops.setFeedback(5.0);
    EXPECT_DOUBLE_EQ(feedback(), std::pow(10.0, -std::pow(0.5, 1.5)) * std::pow(0.5, 0.7) * 1.15);
    const double retroMiddle = feedback();

    // A mode change leaves the feedback values alone until the next call.
    ops.setMode(0);
    EXPECT_EQ(feedback(), retroMiddle);
    EXPECT_EQ(recordGain(), 0.85);
    ops.setFeedback(5.0);
    EXPECT_DOUBLE_EQ(feedback(), std::pow(10.0, -2.4 * 0.25) * std::pow(0.5, 0.3) * 0.68);
    EXPECT_EQ(recordGain(), 1.0);
    ops.setFeedback(20.0);
    EXPECT_DOUBLE_EQ(feedback(), 0.68);
    ops.setMode(2);
    ops.setFeedback(0.0);
    EXPECT_EQ(feedback(), 0.0);
    EXPECT_EQ(recordGain(), 1.0);
}

TEST(VX9Controller, DelayTimeAndGlideRates)
{
    VX9ControllerRig rig(44100.0f);
    IIVX9Controller& ops = rig.ops();
    const auto phaseFor = [&](double seconds) {
        ops.setDelayTime(seconds);
        return rig.factory.coeffs().phase;
    };
    EXPECT_EQ(phaseFor(0.5), 33904640.0);
    EXPECT_EQ(phaseFor(2.0), 512.0 * (2 * 44100 + 70 - 2 * 44100));
    EXPECT_EQ(phaseFor(10.0), phaseFor(2.0));
    EXPECT_EQ(phaseFor(0.005), 512.0 * (2 * 44100 + 70 - 220.5));
    EXPECT_EQ(phaseFor(0.0), phaseFor(0.005));
    EXPECT_EQ(phaseFor(std::numeric_limits<double>::quiet_NaN()), phaseFor(0.005));
    EXPECT_EQ(phaseFor(std::numeric_limits<double>::infinity()), phaseFor(2.0));

    // One-pole rates: close to 2 pi fc / rate for corners this low.
    for (bool slow : {true, false}) {
        ops.setTimeGlide(slow);
        const double w = 2.0 * 3.141592653589793 * (slow ? 0.3 : 1.5) / 44100.0;
        EXPECT_NEAR(rig.factory.coeffs().phaseRate, w, w * 1e-3) << slow;
    }
}

TEST(VX9Controller, RefusedSetupsAndEarlyCalls)
{
    for (float rate : {300000.0f, 204001.0f, 8000.0f, 0.0f, -48000.0f,
                       std::numeric_limits<float>::quiet_NaN()}) {
        RecordingFactory factory;
        VX9AlgorithmController controller;
        IIHux::AlgorithmController& framework = controller;
        try {
            framework.Setup(HuxSetup{0.0, rate}, &factory);
            ADD_FAILURE() << rate << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "unrecognized sample rate") << rate;
        }
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
