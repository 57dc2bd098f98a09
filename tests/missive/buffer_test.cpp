// Missive's buffer: inline storage, growth, the change counter, copies and takeOver.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/missivetest.h"

namespace {

// Appends n bytes numbered on from the current size.
void fill(Missive& m, std::size_t n)
{
    const std::size_t from = m.size();
    std::uint8_t* at = m.append(n);
    for (std::size_t i = 0; i < n; ++i)
        at[i] = static_cast<std::uint8_t>((from + i) * 7);
}

bool numbered(const Missive& m)
{
    for (std::size_t i = 0; i < m.size(); ++i)
        if (m.data()[i] != static_cast<std::uint8_t>(i * 7))
            return false;
    return true;
}

struct NullSource final : IIMissiveIn {
    MissiveSpan span() const override { return {}; }
};

TEST(MissiveBuffer, GrowsFromInlineToHeap)
{
    Missive m;
    fill(m, 512);
    EXPECT_FALSE(m.onHeap());
    EXPECT_EQ(m.capacity(), 512u);
    fill(m, 1); // 512 * 207 / 128 = 827, rounded up to 832
    EXPECT_TRUE(m.onHeap());
    EXPECT_EQ(m.capacity(), 832u);
    EXPECT_EQ(m.sequence(), 2u);
    fill(m, 600); // 832 + 600 = 1432 beats 1345, rounded up to 1440
    EXPECT_EQ(m.capacity(), 1440u);
    EXPECT_EQ(m.size(), 1113u);
    EXPECT_TRUE(numbered(m));

    Missive once;
    fill(once, 1000); // 512 + 1000 = 1512, rounded up to 1520
    EXPECT_EQ(once.capacity(), 1520u);
    EXPECT_TRUE(numbered(once));
}

TEST(MissiveBuffer, SequenceCountsChanges)
{
    Missive empty;
    EXPECT_EQ(empty.sequence(), 0u);
    const Missive fromNull(static_cast<const IIMissiveIn*>(nullptr));
    EXPECT_TRUE(fromNull.empty());
    EXPECT_EQ(fromNull.sequence(), 1u);

    Missive m(std::pair{"in", "mono"}); // value, key and trailer: three appends
    EXPECT_EQ(m.sequence(), 3u);
    const Missive copy(m);
    EXPECT_EQ(copy.sequence(), 2u);
    EXPECT_EQ(bytesOf(copy), bytesOf(m));

    const Bytes other = {0x01, 0x02, 0x03};
    m.assign(other.data(), other.size());
    EXPECT_EQ(m.sequence(), 5u);
    EXPECT_EQ(bytesOf(m), other);
    m.assign(NullSource{});
    EXPECT_EQ(m.sequence(), 5u);
    EXPECT_EQ(bytesOf(m), other);
    m.assign(static_cast<const IIMissiveIn&>(copy));
    EXPECT_EQ(m.sequence(), 7u);
    EXPECT_EQ(bytesOf(m), bytesOf(copy));

    // A copy of a heap message owns its own block.
    Missive big;
    fill(big, 600);
    const Missive bigCopy(big);
    EXPECT_NE(bigCopy.data(), big.data());
    EXPECT_TRUE(numbered(bigCopy));

    // clear keeps the block and its capacity.
    const std::uint32_t before = big.sequence();
    big.clear();
    EXPECT_TRUE(big.empty());
    EXPECT_EQ(big.capacity(), 1120u); // 512 + 600 = 1112, rounded up
    EXPECT_EQ(big.sequence(), before + 1);
}

TEST(MissiveBuffer, TakeOver)
{
    Missive target;
    fill(target, 1000);
    Missive source;
    fill(source, 600);
    const std::uint8_t* block = source.data();
    std::uint32_t before = target.sequence();
    target.takeOver(source);
    EXPECT_EQ(target.data(), block);
    EXPECT_EQ(target.size(), 600u);
    EXPECT_EQ(target.capacity(), 1120u);
    EXPECT_EQ(target.sequence(), before + 1);
    EXPECT_TRUE(numbered(target));
    EXPECT_TRUE(source.empty());
    EXPECT_FALSE(source.onHeap());
    EXPECT_EQ(source.capacity(), 512u);

    // An inline source is copied; target returns to its inline storage.
    Missive small(std::pair{"in", "mono"});
    before = target.sequence();
    target.takeOver(small);
    EXPECT_FALSE(target.onHeap());
    EXPECT_EQ(target.capacity(), 512u);
    EXPECT_EQ(target.sequence(), before + 2);
    EXPECT_EQ(bytesOf(target), bytesOf(small));
}

} // namespace
