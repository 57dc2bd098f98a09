// Process must not allocate: every operator new of this program is counted.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/allocationcount.h"
#include "tests/support/vx9testpack.h"

namespace {

TEST(VX9Process, AllocatesNothing)
{
    VX9TestMachine m(44100.0f, 512);
    ASSERT_EQ(m.setupResult.code, 0);
    VoiceFromController(m.t, 44100.0f, kRetro, kNormal, 0.25, 9.0);
    ASSERT_EQ(m.reset().code, 0);
    std::vector<float> audio(512, 0.25f);

    // Every kernel this processor runs, in blocks of every length up to 512.
    for (const VX9Kernel kernel :
         {VX9Kernel::kPlain, VX9Kernel::kBaseline, VX9Kernel::kAvx2, VX9Kernel::kAvx512}) {
        if (!KernelRuns(kernel))
            continue;
        m.algorithm->SelectKernel(kernel);
        const long before = AllocationCount();
        for (std::uint32_t frames = 1; frames <= 512; frames += 7)
            m.block(audio.data(), audio.data(), frames);
        EXPECT_EQ(AllocationCount() - before, 0) << KernelName(kernel);
    }

    // The counter works: a set-up allocates.
    const long before = AllocationCount();
    ASSERT_EQ(m.algorithm->Setup(HuxSetup{0.0, 44100.0f}).code, 0);
    EXPECT_GT(AllocationCount() - before, 0);
}

} // namespace
