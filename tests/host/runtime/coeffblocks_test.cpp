// The host's coefficient blocks: what reaches the kernel's copies, the glide
// of the smoothed gains, and breaches of the block contract.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "host/runtime/coeffblocks.h"

namespace {

double at(const std::uint8_t* data, std::size_t offset)
{
    double value;
    std::memcpy(&value, data + offset, sizeof value);
    return value;
}

// A controller's view: two gains (smoothed) and three values, the middle
// one the kernel's own glide state.
struct Blocks : ::testing::Test {
    Blocks()
    {
        smoothed = factory.CreateBlock("Gains", 16, true);
        smoothed->DeclareCoeff(0, "g0", 0, 8, 14);
        smoothed->DeclareCoeff(1, "g1", 8, 8, 14);
        plain = factory.CreateBlock("Values", 24, false);
        plain->DeclareCoeff(2, "c", 16, 8, 14);
        plain->DeclareCoeff(0, "a", 0, 8, 14);
        plain->DeclareCoeff(1, "gatedPostDistortionGain", 8, 8, 14);
    }
    const std::uint8_t* copy() { return factory.blocks()[1]->data(); }

    HostCoeffBlockFactory factory;
    CoeffBlock* smoothed;
    CoeffBlock* plain;
    double gains[2] = {0.0, 0.0};
    double values[3] = {1.0, 2.0, 3.0};
};

TEST_F(Blocks, PublishKeepsTheKernelsGlideStateAndAChangeOfItReplacesIt)
{
    plain->Publish(values);
    EXPECT_EQ(at(copy(), 0), 1.0);
    EXPECT_EQ(at(copy(), 8), 0.0);
    EXPECT_EQ(at(copy(), 16), 3.0);

    plain->CoeffChanged(1, &values[1]);
    EXPECT_EQ(at(copy(), 8), 2.0);
    values[0] = 5.0;
    values[2] = 6.0;
    plain->CoeffChanged(2, &values[2]);
    // Only the value named reaches the copy.
    EXPECT_EQ(at(copy(), 0), 1.0);
    EXPECT_EQ(at(copy(), 16), 6.0);
    EXPECT_TRUE(factory.fault().empty());
}

TEST_F(Blocks, TheSmoothedGainsGlideOnePoleStepsAndContinueAcrossBlocks)
{
    ASSERT_EQ(factory.preparePack(8, 0.25), "");
    const auto* pack = static_cast<void* const*>(factory.handle());
    auto* records = static_cast<const double*>(pack[0]);
    EXPECT_EQ(pack[1], factory.blocks()[1]->data());

    gains[0] = 1.0;
    gains[1] = -4.0;
    smoothed->Publish(gains);
    factory.settle();
    factory.beginBlock(2);
    EXPECT_EQ(std::vector<double>(records, records + 6),
              (std::vector<double>{1.0, -4.0, 1.0, -4.0, 1.0, -4.0}));

    gains[0] = 2.0;
    smoothed->CoeffChanged(0, &gains[0]);
    factory.beginBlock(3); // record 0: where the last block ended
    EXPECT_EQ(std::vector<double>(records, records + 8),
              (std::vector<double>{1.0, -4.0, 1.25, -4.0, 1.4375, -4.0, 1.578125, -4.0}));
    factory.beginBlock(1);
    EXPECT_EQ(records[0], 1.578125);
    EXPECT_EQ(records[2], 1.68359375);
}

// A glide that can no longer move its gains keeps them, bit for bit, even
// where they differ from the targets; a zero's sign goes where the steps take it.
TEST_F(Blocks, AGlideAtRestHoldsWhatTheStepsGiveNotTheTargets)
{
    ASSERT_EQ(factory.preparePack(4, 0.25), "");
    auto* records = static_cast<const double*>(static_cast<void* const*>(factory.handle())[0]);
    gains[0] = 1.0;
    gains[1] = -0.0;
    smoothed->Publish(gains);
    factory.settle();
    gains[0] = std::nextafter(1.0, 2.0); // a quarter of the gap rounds away
    smoothed->CoeffChanged(0, &gains[0]);
    for (int block = 0; block < 3; ++block) {
        factory.beginBlock(4);
        for (int k = 0; k <= 4; ++k) {
            EXPECT_EQ(records[2 * k], 1.0) << block << " " << k;
            // -0 + (-0 - -0) * 0.25 is +0: only the first block's first
            // record still holds -0.
            EXPECT_EQ(std::signbit(records[2 * k + 1]), block == 0 && k == 0) << block << " " << k;
        }
    }
    gains[0] = 2.0;
    smoothed->CoeffChanged(0, &gains[0]);
    factory.beginBlock(2);
    EXPECT_EQ(records[2], 1.25);
    EXPECT_EQ(records[4], 1.4375);
}

TEST_F(Blocks, BreachesOfTheContractAreReportedNotObeyed)
{
    plain->CoeffChanged(7, &values[0]);
    EXPECT_NE(factory.fault().find("undeclared index 7"), std::string::npos);

    HostCoeffBlockFactory other;
    CoeffBlock* block = other.CreateBlock("Small", 8, false);
    block->DeclareCoeff(0, "x", 4, 8, 14);
    EXPECT_NE(other.fault().find("outside the data area"), std::string::npos);
    EXPECT_EQ(other.preparePack(4, 0.1), "the controller created no smoothed coefficient block");

    HostCoeffBlockFactory moving;
    CoeffBlock* area = moving.CreateBlock("Area", 16, false);
    area->DeclareCoeff(0, "x", 0, 8, 14);
    double first[2] = {1.0, 1.0};
    double second[2] = {2.0, 2.0};
    area->Publish(first);
    area->Publish(second);
    EXPECT_NE(moving.fault().find("outside its data area"), std::string::npos);
    EXPECT_EQ(at(moving.blocks()[0]->data(), 0), 1.0);
}

} // namespace
