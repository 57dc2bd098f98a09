// The oversampler and its windowed-sinc filters.
#include <gtest/gtest.h>

#include "tapedelay/source/updownsampler.h"

namespace {

// The 30-tap float rows are checked through the interpolation table, the
// double rows here through the filters they make; their exact taps are held
// by the bit-exact pin.
TEST(UpDownSampler, ConstantAndLatency)
{
    UpDownSampler s;
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
        // host samples late; the split decimation gives the same bits as the
        // whole one.
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

} // namespace
