// The block kernel and the record chain, driven with the controller's
// coefficients or, where a test needs a simple chain, hand-set ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <utility>
#include <vector>

#include "tests/support/vx9testpack.h"

namespace {

constexpr std::size_t kMaxFrames = 4096;

// A machine at `rate`; voiced by the controller in Retro (feedback dial 7,
// the given delay) unless delay is 0.
struct Machine : VX9TestMachine {
    explicit Machine(float rate, double delay = 0.1) : VX9TestMachine(rate, kMaxFrames)
    {
        EXPECT_EQ(setupResult.code, 0);
        if (delay > 0.0)
            VoiceFromController(t, rate, kRetro, kNormal, delay, 7.0);
    }

    void reset() { EXPECT_EQ(VX9TestMachine::reset().code, 0); }
};

void ExpectSameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0);
}

// With the wet gain at 0 the output is the input scaled by the input and
// output gains. The meters keep the largest input (after its gain) and output
// magnitudes across blocks.
TEST(VX9Process, DryOutputIsTheScaledInputAndMetersKeepThePeaks)
{
    Machine m(48000.0f);
    m.t.gains = {0.0, 1.0, 0.7, 1.3, m.t.gains.feedbackGain};
    m.t.publishGains();
    m.reset();
    std::vector<float> in = TestNoise(3000, 0.9f);
    in[100] = -1.0f;
    const std::vector<float> out = m.run(in, 512);
    for (std::size_t i = 0; i < in.size(); ++i)
        ASSERT_EQ(out[i], static_cast<float>(in[i] * 0.7 * 1.3)) << i;
    EXPECT_EQ(m.meters[0], 0.7f);
    EXPECT_EQ(m.meters[1], static_cast<float>(0.7 * 1.3));
    m.run(std::vector<float>(256, 0.1f));
    EXPECT_EQ(m.meters[0], 0.7f);
    EXPECT_EQ(m.meters[1], static_cast<float>(0.7 * 1.3));
}

TEST(VX9Process, NoiseWordsAfterReset)
{
    Machine m(44100.0f, 0.0);
    m.t.coeffs.noiseA = 0.5;
    m.t.coeffs.noiseGain = 1.0;
    m.reset();
    const std::uint32_t words[] = {0xEFCDAB89u, 0x78563411u, 0x6934F0AAu};
    for (int k = 0; k < 2; ++k) {
        m.run({0.0f});
        EXPECT_EQ(m.algorithm->headMotion.rngB, words[k + 1]);
    }
    // The hiss of sample 0 used the flutter word of sample 1.
    const double r2 = static_cast<std::int32_t>(words[1]) * 2.3283064370807974e-10;
    EXPECT_EQ(m.algorithm->tape[0], static_cast<float>((r2 - 0.5) * 0.5 + 0.5));
}

TEST(VX9Process, ResetsAndBlockSplitsReproduceTheSameAudio)
{
    Machine m(48000.0f, 0.05);
    const std::vector<float> in = TestNoise(12000, 0.8f);
    m.reset();
    const std::vector<float> whole = m.run(in);
    // Dirty the machine, then two resets in a row.
    m.run(TestNoise(5000, 1.0f, 7));
    m.reset();
    m.reset();
    ExpectSameBits(m.run(in, 333), whole);
    // A zero-frame block changes no state, meter or output.
    m.reset();
    float sentinel = 42.0f;
    m.meters[0] = 3.0f;
    m.meters[1] = 4.0f;
    m.block(&sentinel, &sentinel, 0);
    EXPECT_EQ(sentinel, 42.0f);
    EXPECT_EQ(m.meters[0], 3.0f);
    EXPECT_EQ(m.meters[1], 4.0f);
    ExpectSameBits(m.run(in, 1000), whole);
}

TEST(VX9Process, GatedGainGlidesTowardItsTargetAndSurvivesReset)
{
    Machine m(48000.0f);
    const double target = m.t.coeffs.postDistortionGain;
    m.t.coeffs.gatedPostDistortionGain = 0.0;
    m.reset();
    m.run({0.0f});
    const double step = target * m.t.atomic.hpA * 0.01;
    EXPECT_EQ(m.t.coeffs.gatedPostDistortionGain, step);
    m.run(std::vector<float>(4000, 0.0f));
    const double glided = m.t.coeffs.gatedPostDistortionGain;
    EXPECT_GT(glided, 10 * step);
    EXPECT_LT(glided, target);
    m.reset();
    EXPECT_EQ(m.t.coeffs.gatedPostDistortionGain, glided);
}

// A transparent record chain: the comb a pure delay of the window half plus
// 6 samples, no tone, DC blocking, limiting or wobble; the high band carries
// the signal through a soft clip of small-signal gain 0.75. The head plays
// 1000 samples after the write, wet only, with no feedback.
TEST(VX9Process, ImpulseReachesTapeAndHeadAfterTheStatedLatencies)
{
    // The resampler's 24 - (L - 1) / L samples: 23 at factor 3, 24 at factor 1.
    for (const auto& [rate, resampler] : {std::pair{48000.0f, 23}, std::pair{192000.0f, 24}}) {
        SCOPED_TRACE(rate);
        Machine m(rate, 0.0);
        VX9Coeffs& c = m.t.coeffs;
        c.lpA = c.preLimiterGain = c.limiterMakeup = c.highSum = c.inputRecordGain = 1.0;
        c.postDistortionGain = c.gatedPostDistortionGain = c.phaseRate = 1.0;
        c.limiterThreshold = 10.0;
        c.highDrive = -1.0;
        c.phase = (m.algorithm->tapeLength - VX9Tape::kCentreTap - 1000.0) * 512.0;
        m.t.atomic.crank1C = 1.0;
        m.t.atomic.quantize = 16777216.0;
        m.t.atomic.iquantize = 1.0 / 16777216.0;
        for (int k = 0; k < VX9CombTable::kEntries; ++k) {
            m.t.comb.rows[VX9CombTable::kTapDistance][k] = 6.5f;
            m.t.comb.rows[VX9CombTable::kGain][k] = 1.0f;
        }
        m.t.gains = {1.0, 0.0, 1.0, 1.0, 0.0};
        m.t.publishGains();
        m.reset();
        std::vector<float> in(2000, 0.0f);
        in[0] = 0.01f;
        const std::vector<float> out = m.run(in);
        const float* tape = m.algorithm->tape.get();
        const int chain = VX9Tape::kWindowHalf + 6 + resampler;
        EXPECT_EQ(std::max_element(tape, tape + 200) - tape, chain);
        EXPECT_EQ(std::max_element(out.begin(), out.end()) - out.begin(), chain + 1000);
        // Gain 0.625 in the crank stage and 0.75 in the soft clip on the way
        // to the tape, 0.93 through the head.
        const double recorded = std::accumulate(tape, tape + 200, 0.0);
        EXPECT_NEAR(recorded, 0.01 * 0.625 * 0.75, 1e-6);
        EXPECT_NEAR(std::accumulate(out.begin(), out.end(), 0.0), recorded * 0.93, 1e-6);
    }
}

TEST(VX9Process, FullScaleNoiseAtHighFeedbackKeepsTheTapeBounded)
{
    Machine m(48000.0f, 0.005);
    m.t.gains.inputGain = 4.0;
    m.t.gains.feedbackGain = 1.6;
    m.t.publishGains();
    m.reset();
    std::vector<float> in = TestNoise(kMaxFrames, 1.0f, 3);
    // Non-finite input must not poison the tape.
    in[10] = std::nanf("");
    in[20] = INFINITY;
    in[30] = -INFINITY;
    const double hissBound = 1.0 + 0.6 * m.t.coeffs.noiseGain;
    for (int block = 0; block < 10 * 48000 / static_cast<int>(kMaxFrames); ++block) {
        const std::vector<float> out = m.run(in);
        for (std::size_t i = 31; i < out.size(); ++i)
            ASSERT_TRUE(std::isfinite(out[i])) << block << ":" << i;
        in = TestNoise(kMaxFrames, 1.0f, 4 + block);
    }
    const float* tape = m.algorithm->tape.get();
    for (std::int32_t i = 0; i < m.algorithm->tapeLength; ++i)
        ASSERT_LE(std::fabs(tape[i]), hissBound) << i;
}

} // namespace
