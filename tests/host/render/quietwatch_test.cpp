// Where the quiet watch ends a tail, on output that goes quiet at a known
// frame, against a floor and against a hiss that drops out.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "host/render/quietwatch.h"

namespace {

// At 1000 Hz with a hold of half a second and a delay of 0.1 s, a tail ends
// after 600 quiet frames.
constexpr double kRate = 1000.0;
constexpr double kDelay = 0.1;

QuietTailRule Rule()
{
    QuietTailRule rule;
    rule.floorDbfs = -60.0;
    rule.holdSeconds = 0.5;
    return rule;
}

// Follows the whole output in blocks; where the tail ends, counted from the
// first frame, or -1.
long EndFrame(QuietWatch& watch, const std::vector<float>& output, std::size_t channels,
              const std::vector<float>& hiss, std::size_t block, std::size_t tailFrom)
{
    for (std::size_t at = 0; at < hiss.size(); at += block) {
        const std::size_t frames = std::min(block, hiss.size() - at);
        const std::size_t from = tailFrom > at ? tailFrom - at : 0;
        if (const auto keep =
                watch.follow(output.data() + at * channels, channels, hiss.data() + at, frames,
                             std::min(from, frames), kDelay))
            return static_cast<long>(at + *keep);
    }
    return -1;
}

TEST(QuietWatch, EndsAHoldAndADelayAfterTheOutputWentQuiet)
{
    // Loud to frame 1000, then just under the floor (1e-3).
    std::vector<float> output(3000, 0.5f);
    std::fill(output.begin() + 1000, output.end(), 0.9e-3f);
    const std::vector<float> silence(3000, 0.0f);
    for (const std::size_t block : {3000u, 256u, 1u}) {
        QuietWatch watch(Rule(), kRate);
        EXPECT_EQ(EndFrame(watch, output, 1, silence, block, 0), 1600) << block;
        EXPECT_NEAR(watch.thresholdDbfs(), -60.0, 1e-4);
        EXPECT_FALSE(watch.hissAboveFloor());
    }
    // The input ends after the quiet run began: the tail ends where it may.
    QuietWatch late(Rule(), kRate);
    EXPECT_EQ(EndFrame(late, output, 1, silence, 512, 2000), 2000);
    // Every channel must be quiet: the second one goes quiet at 1200.
    std::vector<float> stereo(6000, 0.9e-3f);
    for (std::size_t i = 0; i < 1000; ++i)
        stereo[2 * i] = 0.5f;
    for (std::size_t i = 0; i < 1200; ++i)
        stereo[2 * i + 1] = -0.5f;
    QuietWatch both(Rule(), kRate);
    EXPECT_EQ(EndFrame(both, stereo, 2, silence, 100, 0), 1800);
    // Above the floor it never ends.
    const std::vector<float> loud(3000, 1.1e-3f);
    QuietWatch never(Rule(), kRate);
    EXPECT_EQ(EndFrame(never, loud, 1, silence, 3000, 0), -1);
}

TEST(QuietWatch, TheHissRaisesTheThresholdForAHoldAfterItsPeak)
{
    // Output at 0.01 throughout, hiss at 0.01 to frame 550, then none: the
    // output may reach 1 dB above the hiss, so it counts as quiet until the
    // hiss's peak leaves the half-second window at frame 1049.
    const std::vector<float> output(3000, 0.01f);
    std::vector<float> hiss(3000, 0.0f);
    std::fill(hiss.begin(), hiss.begin() + 550, 0.01f);
    QuietWatch ends(Rule(), kRate);
    EXPECT_EQ(EndFrame(ends, output, 1, hiss, 700, 1049), 1049);
    EXPECT_NEAR(ends.thresholdDbfs(), -39.0, 1e-4);
    EXPECT_TRUE(ends.hissAboveFloor());
    QuietWatch never(Rule(), kRate);
    EXPECT_EQ(EndFrame(never, output, 1, hiss, 700, 1050), -1);
    EXPECT_FALSE(never.hissAboveFloor());
}

} // namespace
