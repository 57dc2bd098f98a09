// The echo train measured on a made-up response whose repeats are known: a
// click, then repeats at multiples of the delay falling 6 dB each, over a
// hiss well below them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/render/echotrain.h"
#include "tests/support/scratchdirectory.h"

namespace {

constexpr double kRate = 48000.0;
constexpr double kDelay = 0.1;
constexpr std::size_t kDelayFrames = 4800;

// Repeat k (1 to repeats) at k delays plus a jitter of a few frames, with
// amplitude 0.5^k; hiss of the given amplitude everywhere else.
std::vector<float> Response(std::size_t repeats, float hiss, std::size_t length)
{
    std::vector<float> y = Noise(length, hiss, 7);
    y[0] = 0.5f;
    for (std::size_t k = 1; k <= repeats; ++k)
        y[k * kDelayFrames + (k % 3) * 5] =
            (k % 2 == 0 ? 1.0f : -1.0f) * std::ldexp(1.0f, -static_cast<int>(k));
    return y;
}

TEST(EchoTrain, FindsEachRepeatAtItsFrameAndLevel)
{
    const std::vector<float> y = Response(5, 1e-4f, 12 * kDelayFrames);
    const EchoTrain train = MeasureEchoTrain(y, kRate, kDelay, 24);
    EXPECT_EQ(train.delaySeconds, kDelay);
    EXPECT_NEAR(train.dryDb, -6.02, 0.01);
    ASSERT_EQ(train.repeats.size(), 5u);
    for (std::size_t k = 1; k <= 5; ++k) {
        const Repeat& r = train.repeats[k - 1];
        EXPECT_EQ(r.number, k);
        EXPECT_EQ(r.frame, k * kDelayFrames + (k % 3) * 5);
        EXPECT_NEAR(r.levelDb, -6.0206 * static_cast<double>(k), 1e-3);
    }
    // The envelope: 24 bins of half a delay, each its own peak.
    ASSERT_EQ(train.envelope.size(), 24u);
    EXPECT_EQ(train.envelope[2].seconds, kDelay);
    EXPECT_NEAR(train.envelope[2].db, -6.02, 0.01);
    EXPECT_LT(train.envelope[23].db, -79.0);
    EXPECT_FALSE(train.firstRepeatSpectrum.empty());
}

TEST(EchoTrain, StopsAtTheFirstRepeatThatDoesNotStandOutOfTheHiss)
{
    // Repeat 4 (-24 dB) stands 6 dB above a hiss of -31 dB, repeat 5 not.
    std::vector<float> y = Response(8, 0.028f, 10 * kDelayFrames);
    EXPECT_EQ(MeasureEchoTrain(y, kRate, kDelay, 8).repeats.size(), 4u);
    // A window the response does not hold whole is not measured.
    y.resize(3 * kDelayFrames + kDelayFrames / 2 - 1);
    EXPECT_EQ(MeasureEchoTrain(y, kRate, kDelay, 8).repeats.size(), 2u);
    // Silence and a delay under a frame give no repeats, and no spectrum.
    const std::vector<float> silence(kDelayFrames * 4);
    const EchoTrain quiet = MeasureEchoTrain(silence, kRate, kDelay, 4);
    EXPECT_TRUE(quiet.repeats.empty());
    EXPECT_TRUE(quiet.firstRepeatSpectrum.empty());
    EXPECT_TRUE(std::isinf(quiet.dryDb));
    EXPECT_TRUE(
        MeasureEchoTrain(Response(3, 0.0f, 4 * kDelayFrames), kRate, 1e-5, 4).repeats.empty());
}

} // namespace
