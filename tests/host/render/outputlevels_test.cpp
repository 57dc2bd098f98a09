// The output's level on its way to the file: every channel's peak and the
// samples beyond full scale, over blocks of interleaved audio.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "host/render/outputlevels.h"

namespace {

class Collector final : public AudioSink {
public:
    void write(const float* interleaved, std::size_t frames) override
    {
        written.insert(written.end(), interleaved, interleaved + frames * 3);
    }
    bool integerSamples() const override { return false; }
    void commit() override { ++commits; }

    std::vector<float> written;
    int commits = 0;
};

TEST(LevelMeter, KeepsEachChannelsPeakAndCountsOversAcrossBlocks)
{
    Collector file;
    LevelMeter meter(file, 3);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Three channels: the loud one, a quiet one, and one with a NaN.
    const std::vector<float> first{0.5f, -0.1f, 0.0f, -1.5f, 0.2f, nan};
    const std::vector<float> second{1.0f, -0.25f, 0.3f, 2.0f, 0.0f, -0.7f, 0.1f, 1.25f, 0.0f};
    meter.write(first.data(), 2);
    meter.write(second.data(), 3);
    meter.commit();

    EXPECT_EQ(meter.peaks(), (std::vector<float>{2.0f, 1.25f, 0.7f}));
    // -1.5 and 2.0, and 1.25; exactly 1.0 is not over.
    EXPECT_EQ(meter.overFullScale(), (std::vector<std::uint64_t>{2, 1, 0}));
    // The audio passes on untouched.
    ASSERT_EQ(file.written.size(), first.size() + second.size());
    EXPECT_TRUE(std::isnan(file.written[5]));
    EXPECT_EQ(file.written[6], 1.0f);
    EXPECT_EQ(file.written.back(), 0.0f);
    EXPECT_EQ(file.commits, 1);
}

} // namespace
