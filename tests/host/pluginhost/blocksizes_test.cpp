// The block sizes a test host's render draws.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "host/pluginhost/blocksizes.h"

namespace {

std::vector<std::uint32_t> Draw(BlockSizes sizes, int count)
{
    std::vector<std::uint32_t> drawn;
    for (int i = 0; i < count; ++i)
        drawn.push_back(sizes.next());
    return drawn;
}

TEST(HostBlockSizes, FixedOrDrawnWithinOneToTheLongest)
{
    EXPECT_EQ(Draw(BlockSizes(300, std::nullopt), 3), (std::vector<std::uint32_t>{300, 300, 300}));

    const std::vector<std::uint32_t> drawn = Draw(BlockSizes(5, 7), 500);
    EXPECT_EQ(std::set<std::uint32_t>(drawn.begin(), drawn.end()),
              (std::set<std::uint32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Draw(BlockSizes(1000, 7), 50), Draw(BlockSizes(1000, 7), 50));
    EXPECT_NE(Draw(BlockSizes(1000, 7), 50), Draw(BlockSizes(1000, 8), 50));
    EXPECT_NE(Draw(BlockSizes(1000, 0), 50), Draw(BlockSizes(1000, 0x80000000u), 50));
}

} // namespace
