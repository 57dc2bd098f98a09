// Process must not allocate: every operator new of this program is counted.
#include <gtest/gtest.h>

#include <vector>

#include "tests/allocationcount.h"
#include "vx9testpack.h"

namespace {

TEST(VX9Process, AllocatesNothing)
{
    VX9TestMachine m(44100.0f, 512);
    ASSERT_EQ(m.setupResult.code, 0);
    VoiceFromController(m.t, 44100.0f, kRetro, kNormal, 0.25, 9.0);
    ASSERT_EQ(m.reset().code, 0);
    std::vector<float> audio(512, 0.25f);

    const long before = AllocationCount();
    for (int block = 0; block < 50; ++block)
        m.block(audio.data(), audio.data(), 512);
    EXPECT_EQ(AllocationCount() - before, 0);

    // The counter works: a set-up allocates.
    ASSERT_EQ(m.algorithm->Setup(HuxSetup{0.0, 44100.0f}).code, 0);
    EXPECT_GT(AllocationCount() - before, 0);
}

} // namespace
