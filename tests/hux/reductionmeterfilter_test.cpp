#include <gtest/gtest.h>

#include "hux/public/plugin/reductionmeterfilter.h"

namespace {

TEST(ReductionMeterFilter, FallsAtOnceAndRecoversThroughTheSmoother)
{
    const double a = 0.75;
    const double b = 0.25;
    ReductionMeterFilter filter;
    filter.feedback = a;
    filter.input = b;
    EXPECT_EQ(filter.state, 0.0);
    EXPECT_EQ(static_cast<CFilterBase<double>&>(filter).reset(), 1.0); // no reduction
    EXPECT_EQ(filter.state, 1.0);

    EXPECT_EQ(filter.process(0.5f), 0.5);               // instant fall
    EXPECT_EQ(filter.process(1.0f), a * 0.5 + b * 1.0); // smoothed recovery
    const double recovering = filter.state;
    EXPECT_EQ(filter.process(0.25f), 0.25); // deeper again: instant
    EXPECT_LT(filter.state, recovering);
    // An equal value is not a fall: it goes through the smoother.
    filter.state = 0.5;
    EXPECT_EQ(filter.process(0.5f), a * 0.5 + b * 0.5);

    // The double form is the plain one-pole: it smooths a fall too.
    filter.reset();
    EXPECT_EQ(filter.process(0.5), a * 1.0 + b * 0.5);
}

} // namespace
