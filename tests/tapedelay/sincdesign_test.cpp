// The windowed-sinc rows, the oversampler and the rate brackets.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "tapedelay/source/sincdesign.h"
#include "tapedelay/source/updownsampler.h"
#include "tapedelay/source/vx9ratebracket.h"

namespace {

template <class Tap>
double Sum(const Tap* row, int taps)
{
    return std::accumulate(row, row + taps, 0.0);
}

TEST(DesignSincRow, CentredSymmetricRowsSumToOne)
{
    float row30[30];
    DesignSincRow(row30, 0.0, 30, 0.96f);
    EXPECT_EQ(std::max_element(row30, row30 + 30) - row30, 14);
    for (int d = 1; d <= 14; ++d)
        EXPECT_EQ(row30[14 - d], row30[14 + d]);
    EXPECT_NEAR(Sum(row30, 30), 1.0, 1e-6);

    double row24[24];
    DesignSincRow(row24, 0.0, 24, 0.88f);
    EXPECT_EQ(std::max_element(row24, row24 + 24) - row24, 11);
    EXPECT_NEAR(Sum(row24, 24), 1.0, 1e-14);
    // Half a tap later the row is symmetric about 11.5.
    DesignSincRow(row24, 0.5, 24, 0.88f);
    for (int d = 0; d < 12; ++d)
        EXPECT_NEAR(row24[11 - d], row24[12 + d], 1e-15);
}

TEST(UpDownSampler, FiltersAreUnityGainAndCentred)
{
    UpDownSampler s;
    s.Init(3, 0.88);
    EXPECT_EQ(s.UpTaps(), 24);
    EXPECT_EQ(s.DownTaps(), 72);
    for (int j = 0; j < 3; ++j)
        EXPECT_NEAR(Sum(s.UpCoeffs() + 24 * j, 24), 1.0, 1e-14) << j;
    EXPECT_NEAR(Sum(s.DownCoeffs(), 72), 1.0, 1e-14);
    EXPECT_EQ(std::max_element(s.UpCoeffs(), s.UpCoeffs() + 24) - s.UpCoeffs(), 11);

    // At factor 1 the interpolation row and the decimator are one design.
    s.Init(1, 0.88);
    EXPECT_TRUE(std::equal(s.UpCoeffs(), s.UpCoeffs() + 24, s.DownCoeffs()));
}

TEST(UpDownSampler, ImpulseConstantAndLatency)
{
    UpDownSampler s;
    s.Init(3, 0.88);
    s.Reset();
    // An impulse plays row 0 backwards, one tap per push.
    for (int k = 0; k < 24; ++k) {
        s.PushUp(k == 0 ? 1.0 : 0.0);
        ASSERT_EQ(s.Interpolate(0), s.UpCoeffs()[23 - k]) << k;
    }

    for (const int factor : {1, 2, 3}) {
        SCOPED_TRACE(factor);
        s.Init(factor, 0.88);
        // A constant passes at unity gain once the histories are full.
        for (int k = 0; k < 100; ++k) {
            s.PushUp(0.3);
            for (int j = 0; j < factor; ++j) {
                if (k >= 24) {
                    ASSERT_NEAR(s.Interpolate(j), 0.3, 1e-14);
                }
                s.PushDown(s.Interpolate(j));
            }
            if (k >= 48) {
                ASSERT_NEAR(s.Decimate(), 0.3, 1e-14);
            }
        }
        // The pair's impulse response is centred 24 - (factor - 1) / factor
        // host samples late.
        // The split decimation gives the same bits as the whole one.
        s.Reset();
        double moment = 0.0;
        double area = 0.0;
        for (int k = 0; k < 60; ++k) {
            s.PushUp(k == 0 ? 1.0 : 0.0);
            const double older = s.DecimateBegin();
            for (int j = 0; j < factor; ++j)
                s.PushDown(s.Interpolate(j));
            const double y = s.Decimate();
            ASSERT_EQ(s.DecimateEnd(older), y);
            moment += k * y;
            area += y;
        }
        EXPECT_NEAR(area, 1.0, 1e-9);
        EXPECT_NEAR(moment / area, 24.0 - (factor - 1.0) / factor, 1e-3);
    }
}

TEST(RateBracket, FactorsAndLimits)
{
    // The algorithm refuses rates below 11025 Hz; the brackets do not.
    EXPECT_EQ(OversamplingFactor(0), 3);
    EXPECT_EQ(OversamplingFactor(204000), 1);
    EXPECT_THROW(OversamplingFactor(204001), std::runtime_error);
    EXPECT_THROW(OversamplingFactor(-1), std::runtime_error);
}

} // namespace
