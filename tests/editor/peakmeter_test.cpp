// The meters' ballistics: rise at once, fall steadily, hold the peak.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editor/peakmeter.h"

namespace {

TEST(PeakMeter, RisesAtOnceFallsSteadilyAndHoldsThePeak)
{
    PeakMeter meter;
    meter.update(0.5f, 10.0);
    EXPECT_NEAR(meter.levelDb(), 20.0 * std::log10(0.5), 1e-6);
    EXPECT_NEAR(meter.holdDb(), meter.levelDb(), 1e-12);
    const double peak = meter.levelDb();

    meter.update(0.0f, 10.5);
    EXPECT_NEAR(meter.levelDb(), peak - PeakMeter::kFallDbPerSecond * 0.5, 1e-9);
    EXPECT_NEAR(meter.holdDb(), peak, 1e-12); // still held

    meter.update(0.0f, 11.25); // the hold ended at 11.0
    EXPECT_NEAR(meter.holdDb(), peak - PeakMeter::kFallDbPerSecond * 0.25, 1e-9);
    EXPECT_GE(meter.holdDb(), meter.levelDb());

    meter.update(0.0f, 20.0);
    EXPECT_EQ(meter.levelDb(), PeakMeter::kFloorDb);
    EXPECT_EQ(meter.holdDb(), PeakMeter::kFloorDb);

    // A louder peak takes over the hold at once.
    meter.update(0.1f, 21.0);
    meter.update(1.0f, 21.1);
    EXPECT_NEAR(meter.holdDb(), 0.0, 1e-12);
}

TEST(PeakMeter, NonsenseIsSilenceAndOverloadIsFullScale)
{
    PeakMeter meter;
    for (const float bad : {std::numeric_limits<float>::quiet_NaN(), -1.0f,
                            std::numeric_limits<float>::infinity(), 0.0f}) {
        meter.update(bad, 1.0);
        EXPECT_EQ(meter.levelDb(), PeakMeter::kFloorDb) << bad;
    }
    meter.update(4.0f, 2.0);
    EXPECT_EQ(meter.levelDb(), 0.0);
    EXPECT_EQ(PeakMeter::fraction(0.0), 1.0);
    EXPECT_EQ(PeakMeter::fraction(PeakMeter::kFloorDb - 10.0), 0.0);
    EXPECT_NEAR(PeakMeter::fraction(PeakMeter::kFloorDb / 2.0), 0.5, 1e-12);
    // A clock that runs backwards does not raise the bar.
    meter.update(0.0f, 1.0);
    EXPECT_LE(meter.levelDb(), 0.0);
}

} // namespace
