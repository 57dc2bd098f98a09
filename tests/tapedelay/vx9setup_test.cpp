// Set-up, reset and the rate brackets of the tape-delay algorithm. The
// numbers set-up derives from the rate are also held by the bit-exact pin.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <new>
#include <stdexcept>

#include "tests/support/vx9testpack.h"

namespace {

std::unique_ptr<VX9Algorithm> MakeAlgorithm()
{
    return std::unique_ptr<VX9Algorithm>(new VX9Algorithm());
}

HuxSetup AtRate(float rate)
{
    return HuxSetup{0.0, rate};
}

TEST(VX9Setup, BracketBoundariesAndRefusedRates)
{
    const struct {
        float rate;
        std::int32_t oversampling; // 0: refused
        std::int32_t combRingLength;
    } cases[] = {
        {11024.9f, 0, 0},   {11025.0f, 3, 30},  {51000.9f, 3, 30},  {51001.0f, 2, 42},
        {102000.0f, 2, 42}, {102001.0f, 1, 50}, {204000.0f, 1, 50}, {204001.0f, 0, 0},
        {0.0f, 0, 0},       {-10.0f, 0, 0},     {1e10f, 0, 0},      {std::nanf(""), 0, 0},
        {INFINITY, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        auto algorithm = MakeAlgorithm();
        const KtResult result = algorithm->Setup(AtRate(c.rate));
        if (c.oversampling != 0) {
            EXPECT_EQ(result.code, 0);
            EXPECT_EQ(algorithm->tapeLength, 2 * static_cast<int>(c.rate) + 33);
            EXPECT_EQ(algorithm->oversampling, c.oversampling);
            EXPECT_EQ(algorithm->resampler.Factor(), c.oversampling);
            EXPECT_EQ(algorithm->combRingLength, c.combRingLength);
            EXPECT_EQ(algorithm->combWindowOffset, c.combRingLength - VX9Tape::kInterpTaps);
            continue;
        }
        EXPECT_EQ(result.code, -1);
        EXPECT_EQ(result.line, kHuxSetupFailedLine);
        EXPECT_STREQ(result.message, "algorithm setup failed");
        // Refused after the tape was built, before anything else.
        EXPECT_NE(algorithm->tape, nullptr);
        EXPECT_EQ(algorithm->interpTable, nullptr);
        try {
            algorithm->SetupAlgorithm(AtRate(c.rate));
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "unrecognized sample rate");
        }
    }
    // A negative tape length is an allocation failure.
    EXPECT_THROW(MakeAlgorithm()->SetupAlgorithm(AtRate(-44100.0f)), std::bad_alloc);
}

// Whether reset clears everything is seen in the kernel tests (a reset
// machine renders the same audio again); here, what it loads.
TEST(VX9Setup, ResetStartsFromTheCoefficientsAndSetupRebuilds)
{
    auto algorithm = MakeAlgorithm();
    algorithm->SetupAlgorithm(AtRate(48000.0f));
    VX9TestPack t(64);
    t.coeffs.phase = 12345.5;
    t.coeffs.noiseA = 0.25;
    algorithm->ResetAlgorithm(t.handle());
    EXPECT_EQ(algorithm->headMotion.phaseSmoothed, 12345.5);
    EXPECT_EQ(algorithm->headMotion.phaseStage1, 12345.5);
    EXPECT_EQ(algorithm->tapeWriter.hissState, 0.25);

    algorithm->SetupAlgorithm(AtRate(96000.0f));
    EXPECT_EQ(algorithm->tapeLength, 192033);
    EXPECT_EQ(algorithm->combRingLength, 42);
    EXPECT_EQ(algorithm->resampler.DownTaps(), 48);
}

} // namespace
