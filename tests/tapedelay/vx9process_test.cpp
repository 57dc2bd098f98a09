// The block kernel and the record chain, driven with the controller's
// coefficients. The bit-exact pin holds the exact sound; these tests hold
// what it cannot see: meters, block splits, resets and bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "tests/support/vx9testpack.h"

namespace {

constexpr std::size_t kMaxFrames = 4096;

// A machine at `rate`, voiced by the controller in Retro (feedback dial 7,
// the given delay).
struct Machine : VX9TestMachine {
    explicit Machine(float rate, double delay = 0.1) : VX9TestMachine(rate, kMaxFrames)
    {
        EXPECT_EQ(setupResult.code, 0);
        VoiceFromController(t, rate, kRetro, kNormal, delay, 7.0);
    }

    void reset() { EXPECT_EQ(VX9TestMachine::reset().code, 0); }
};

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
    const auto meters = [&] { return std::pair(m.meters[0], m.meters[1]); };
    EXPECT_EQ(meters(), std::pair(0.7f, static_cast<float>(0.7 * 1.3)));
    m.run(std::vector<float>(256, 0.1f));
    EXPECT_EQ(meters(), std::pair(0.7f, static_cast<float>(0.7 * 1.3)));
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
    EXPECT_EQ(m.run(in, 333), whole);
    // A zero-frame block changes no state, meter or output.
    m.reset();
    float sentinel = 42.0f;
    m.meters[0] = 3.0f;
    m.meters[1] = 4.0f;
    m.block(&sentinel, &sentinel, 0);
    EXPECT_EQ((std::vector{sentinel, m.meters[0], m.meters[1]}), (std::vector{42.0f, 3.0f, 4.0f}));
    EXPECT_EQ(m.run(in, 1000), whole);
}

// How the gated gain glides open after a mode change is held by the bit-exact
// pin; a reset leaves it where it got to.
TEST(VX9Process, ResetKeepsTheGatedGain)
{
    Machine m(48000.0f);
    m.t.coeffs.gatedPostDistortionGain = 0.0;
    m.reset();
    m.run(std::vector<float>(4000, 0.0f));
    const double glided = m.t.coeffs.gatedPostDistortionGain;
    EXPECT_GT(glided, 0.0);
    EXPECT_LT(glided, m.t.coeffs.postDistortionGain);
    m.reset();
    EXPECT_EQ(m.t.coeffs.gatedPostDistortionGain, glided);
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
