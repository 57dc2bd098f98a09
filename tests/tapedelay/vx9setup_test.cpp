// Set-up, reset and the rate brackets of the tape-delay algorithm.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <new>
#include <stdexcept>

#include "tapedelay/source/vx9algorithm.h"
#include "vx9testpack.h"

namespace {

std::unique_ptr<VX9Algorithm> MakeAlgorithm()
{
    return std::unique_ptr<VX9Algorithm>(new VX9Algorithm());
}

HuxSetup AtRate(float rate)
{
    HuxSetup setup;
    setup.sampleRate = rate;
    return setup;
}

struct RateFacts {
    float rate;
    std::int32_t tapeLength;
    std::int32_t combRingLength;
    std::int32_t oversampling;
    double wowSteps; // wowCoeff in units of 2^-23
};

TEST(VX9Setup, BuildsTheMachineForEachHostRate)
{
    const RateFacts facts[] = {
        {44100.0f, 88233, 30, 3, 3226},
        {48000.0f, 96033, 30, 3, 2964},
        {96000.0f, 192033, 42, 2, 1482},
        {192000.0f, 384033, 50, 1, 741},
    };
    for (const RateFacts& fact : facts) {
        SCOPED_TRACE(fact.rate);
        auto algorithm = MakeAlgorithm();
        EXPECT_EQ(algorithm->SetupAlgorithm(AtRate(fact.rate)), &VX9Algorithm::Process);
        EXPECT_EQ(algorithm->tapeLength, fact.tapeLength);
        EXPECT_EQ(algorithm->combRingLength, fact.combRingLength);
        EXPECT_EQ(algorithm->combWindowOffset, fact.combRingLength - 30);
        EXPECT_EQ(algorithm->combCenterOffset, 14);
        EXPECT_EQ(algorithm->oversampling, fact.oversampling);
        EXPECT_EQ(algorithm->resampler.Factor(), fact.oversampling);
        EXPECT_EQ(algorithm->wowCoeff, fact.wowSteps * std::ldexp(1.0, -23));
        EXPECT_EQ(algorithm->rngB, VX9Algorithm::kSeedB);
        EXPECT_EQ(algorithm->tape[algorithm->tapeLength - 1], 0.0f);
    }
    auto at44 = MakeAlgorithm();
    at44->SetupAlgorithm(AtRate(44100.0f));
    EXPECT_EQ(at44->combScale, std::ldexp(1.0f, -22));
    EXPECT_EQ(at44->limiterRate, 0.1f);
}

TEST(VX9Setup, BracketBoundariesAndRefusedRates)
{
    const struct {
        float rate;
        std::int32_t oversampling; // 0: refused
    } cases[] = {
        {11024.9f, 0},  {11025.0f, 3},      {51000.9f, 3},  {51001.0f, 2}, {102000.0f, 2},
        {102001.0f, 1}, {204000.0f, 1},     {204001.0f, 0}, {0.0f, 0},     {-10.0f, 0},
        {1e10f, 0},     {std::nanf(""), 0}, {INFINITY, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        auto algorithm = MakeAlgorithm();
        const KtResult result = algorithm->Setup(AtRate(c.rate));
        if (c.oversampling != 0) {
            EXPECT_EQ(result.code, 0);
            EXPECT_EQ(algorithm->oversampling, c.oversampling);
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

TEST(VX9Setup, InterpolationTableRowsAreCentredAndSumTo093)
{
    auto algorithm = MakeAlgorithm();
    algorithm->SetupAlgorithm(AtRate(48000.0f));
    const float* table = algorithm->interpTable.get();
    for (int d = 1; d <= 14; ++d) {
        EXPECT_LT(table[14 + d], table[14]);
        EXPECT_EQ(table[14 - d], table[14 + d]) << d;
    }
    for (int k = 0; k < VX9Algorithm::kInterpRows; ++k) {
        double sum = 0.0;
        for (int j = 0; j < 30; ++j)
            sum += table[k * 30 + j];
        ASSERT_NEAR(sum, 0.93, 1e-6) << "row " << k;
    }
    // The last row is the first moved on by one whole sample.
    for (int j = 0; j < 29; ++j)
        EXPECT_NEAR(table[512 * 30 + j + 1], table[j], 1e-6);
}

TEST(VX9Setup, ResetSilencesAndRestartsFromTheCoefficients)
{
    auto algorithm = MakeAlgorithm();
    algorithm->SetupAlgorithm(AtRate(48000.0f));
    VX9TestPack t(64);
    t.coeffs.phase = 12345.5;
    t.coeffs.noiseA = 0.25;
    algorithm->tape[7] = 0.5f;
    algorithm->combRing[3] = 0.5f;
    algorithm->toneState = 0.5f;
    algorithm->tapeWrite = 9;
    algorithm->rngA = 1;
    algorithm->wowSin = 0.3;
    algorithm->ResetAlgorithm(t.handle());
    EXPECT_EQ(algorithm->phaseSmoothed, 12345.5);
    EXPECT_EQ(algorithm->phaseStage1, 12345.5);
    EXPECT_EQ(algorithm->hissState, 0.25);
    EXPECT_EQ(algorithm->tape[7], 0.0f);
    EXPECT_EQ(algorithm->combRing[3], 0.0f);
    EXPECT_EQ(algorithm->toneState, 0.0f);
    EXPECT_EQ(algorithm->tapeWrite, 0);
    EXPECT_EQ(algorithm->rngA, VX9Algorithm::kSeedA);
    EXPECT_EQ(algorithm->wowSin, 0.0);
    EXPECT_EQ(algorithm->wowCos, 0.5);

    // A second set-up rebuilds everything for the new rate.
    algorithm->SetupAlgorithm(AtRate(96000.0f));
    EXPECT_EQ(algorithm->tapeLength, 192033);
    EXPECT_EQ(algorithm->combRingLength, 42);
    EXPECT_EQ(algorithm->resampler.DownTaps(), 48);
}

} // namespace
