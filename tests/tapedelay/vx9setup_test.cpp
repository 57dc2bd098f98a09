// Set-up and the rate brackets of the tape-delay algorithm. The numbers
// set-up derives from the rate, and what reset loads from the coefficients,
// are also held by the bit-exact pin.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <new>
#include <stdexcept>
#include <tuple>

#include "tests/support/vx9testpack.h"

namespace {

TEST(VX9Setup, BracketBoundariesAndRefusedRates)
{
    // Rate, oversampling (0: refused), comb ring length.
    const std::tuple<float, std::int32_t, std::int32_t> cases[] = {
        {11024.9f, 0, 0},   {11025.0f, 3, 30},  {51000.9f, 3, 30},  {51001.0f, 2, 42},
        {102000.0f, 2, 42}, {102001.0f, 1, 50}, {204000.0f, 1, 50}, {204001.0f, 0, 0},
        {0.0f, 0, 0},       {-10.0f, 0, 0},     {1e10f, 0, 0},      {std::nanf(""), 0, 0},
        {INFINITY, 0, 0}};
    // Accepted rates set up one algorithm again and again: each rebuilds it.
    const auto reused = std::make_unique<VX9Algorithm>();
    for (const auto& [rate, oversampling, combRingLength] : cases) {
        SCOPED_TRACE(rate);
        const auto fresh = std::make_unique<VX9Algorithm>();
        const auto& algorithm = oversampling != 0 ? reused : fresh;
        const KtResult result = algorithm->Setup({0.0, rate});
        if (oversampling != 0) {
            EXPECT_EQ(result.code, 0);
            EXPECT_EQ(algorithm->tapeLength, 2 * static_cast<int>(rate) + 33);
            EXPECT_EQ(algorithm->oversampling, oversampling);
            EXPECT_EQ(algorithm->resampler.Factor(), oversampling);
            EXPECT_EQ(algorithm->combRingLength, combRingLength);
            EXPECT_EQ(algorithm->combWindowOffset, combRingLength - VX9Tape::kInterpTaps);
            continue;
        }
        EXPECT_EQ(result.code, -1);
        EXPECT_EQ(result.line, kHuxSetupFailedLine);
        EXPECT_STREQ(result.message, "algorithm setup failed");
        // Refused after the tape was built, before anything else.
        EXPECT_NE(algorithm->tape, nullptr);
        EXPECT_EQ(algorithm->interpTable, nullptr);
        try {
            algorithm->SetupAlgorithm({0.0, rate});
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "unrecognized sample rate");
        }
    }
    // A negative tape length is an allocation failure.
    EXPECT_THROW(std::make_unique<VX9Algorithm>()->SetupAlgorithm({0.0, -44100.0f}),
                 std::bad_alloc);
}

} // namespace
