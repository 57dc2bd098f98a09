// Record bytes written by Missive, and which record a lookup finds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/missivetest.h"

namespace {

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

enum class Mode : int { kMinusOne = -1, kThree = 3 };

TEST(MissiveWireFormat, WorkedExamples)
{
    const Missive in(std::pair{"in", "mono"});
    EXPECT_EQ(bytesOf(in),
              (Bytes{0x6D, 0x6F, 0x6E, 0x6F, 0x00, 0x69, 0x6E, 0x00, 0x03, 0x0F, 0x0F, 0x08}));
    EXPECT_EQ(read<std::string>(in.find("in")), "mono");

    const Missive labels(std::pair{MissiveKey{"labels"}, std::vector<std::string>{"Input", "In"}});
    EXPECT_EQ(bytesOf(labels),
              (Bytes{0x02, 0x49, 0x6E, 0x70, 0x75, 0x74, 0x00, 0x49, 0x6E, 0x00, 0x6C,
                     0x61, 0x62, 0x65, 0x6C, 0x73, 0x00, 0x07, 0x0F, 0x8F, 0x11}));
    EXPECT_EQ(readArray<std::string>(labels.find(std::string("labels"))),
              (std::vector<std::string>{"Input", "In"}));

    const Missive number(std::pair{std::uint32_t{1}, Missive{}});
    EXPECT_EQ(bytesOf(number), (Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x04, 0x07, 0x14, 0x05}));
    EXPECT_EQ(number.find(std::uint32_t{1}).valueType, KtType::kMissive);
}

TEST(MissiveWireFormat, ValueEncodings)
{
    const Bytes keyTail = {0x6B, 0x00, 0x02, 0x0F}; // key "k", KL 2, string key
    auto record = [&](auto value) {
        Missive m;
        m.put("k", value);
        return bytesOf(m);
    };
    EXPECT_EQ(record(std::uint32_t{0x01020304}), concat({{4, 3, 2, 1}, keyTail, {0x07, 0x06}}));
    EXPECT_EQ(record(true), concat({{1}, keyTail, {0x0B, 0x03}}));
    EXPECT_EQ(record(2.5), concat({{0, 0, 0, 0, 0, 0, 0x04, 0x40}, keyTail, {0x0E, 0x0A}}));
    EXPECT_EQ(record(Mode::kThree), concat({{0x00, 0x03}, keyTail, {0x0C, 0x04}}));
    const Bytes minusOne = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01};
    EXPECT_EQ(record(Mode::kMinusOne), concat({minusOne, keyTail, {0x0C, 0x0D}}));
    EXPECT_EQ(record(std::vector<std::string>{}), concat({{0x00}, keyTail, {0x8F, 0x03}}));

    const Missive inner(std::pair{"in", "mono"});
    const Bytes innerBytes = bytesOf(inner);
    EXPECT_EQ(record(inner), concat({{0x0C}, innerBytes, keyTail, {0x14, 0x0F}}));
    EXPECT_EQ(record(std::vector<Missive>{Missive{}, inner}),
              concat({{0x02, 0x00, 0x0C}, innerBytes, keyTail, {0x94, 0x11}}));
}

TEST(MissiveWireFormat, MultiByteBackwardVarints)
{
    // 200-byte value, key "k": B = 200 + 2 + 1 - 1 = 202, forward CA 01, stored 01 CA.
    const Missive big(std::pair{"k", std::string(199, 'x')});
    ASSERT_EQ(big.size(), 207u);
    EXPECT_EQ(Bytes(big.data() + 200, big.data() + 207),
              (Bytes{0x6B, 0x00, 0x02, 0x0F, 0x0F, 0x01, 0xCA}));
    EXPECT_EQ(read<std::string>(big.find("k")), std::string(199, 'x'));

    // KL 128: field 01 80; value "v" 2 bytes: B = 2 + 128 + 2 - 1 = 131, stored 01 83.
    const std::string longName(127, 'n');
    const Missive longKey(std::pair{longName, "v"});
    ASSERT_EQ(longKey.size(), 136u);
    EXPECT_EQ(Bytes(longKey.data() + 130, longKey.data() + 136),
              (Bytes{0x01, 0x80, 0x0F, 0x0F, 0x01, 0x83}));
    EXPECT_EQ(read<std::string>(longKey.find(longName)), "v");
}

TEST(MissiveLookup, LaterRecordsHideEarlierOnesAndKeysMatchExactly)
{
    const MissiveCursor none = Missive{}.find("bpm");
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(none.keyType, 31);
    EXPECT_EQ(none.valueType, 31);
    EXPECT_FALSE(Missive{}.find(std::uint32_t{0}).found());
    EXPECT_FALSE(Missive{}.findDefault().found());

    const Missive m(std::pair{"bpm", 120.0}, std::pair{"bpm", 140.0}, std::pair{"bp", 1.0},
                    std::pair{std::string("bpm\x02"), 2.0}, std::pair{std::uint32_t{7}, Missive{}});
    EXPECT_EQ(read<double>(m.find("bpm")), 140.0);
    EXPECT_EQ(read<double>(m.find("bp")), 1.0);

    Missive near(std::pair{"bp", 1.0}, std::pair{std::string("bpm\x02"), 2.0});
    EXPECT_FALSE(near.find("bpm").found());
    EXPECT_FALSE(near.find("b").found());
    // The name ends at the key's first 0 byte; bytes after it do not count.
    near.put(std::string("bpm\0x", 5), 3.0);
    EXPECT_EQ(read<double>(near.find("bpm")), 3.0);

    // Number keys.
    const Missive numbers(std::pair{std::uint32_t{1}, Missive{}},
                          std::pair{std::uint32_t{2}, Missive(std::pair{"a", true})}, // 7 bytes
                          std::pair{"x", 5.0});
    EXPECT_EQ(readMissives(numbers.find(std::uint32_t{2}))[0].size, 7u);
    EXPECT_FALSE(numbers.find(std::uint32_t{3}).found());
    EXPECT_FALSE(numbers.findDefault().found());
    // A number key of 6 bytes matches on its first 4.
    const Missive wide =
        fromBytes({0x00, 0x02, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0x06, 0x07, 0x14, 0x07});
    EXPECT_EQ(wide.find(std::uint32_t{2}).keyType, 7);

    // The default record: no key bytes when written here, any key bytes accepted.
    Missive named;
    named.put(kMissiveDefault, "hello");
    EXPECT_EQ(bytesOf(named), (Bytes{0x68, 0x65, 0x6C, 0x6C, 0x6F, 0x00, 0x00, 0x1E, 0x0F, 0x06}));
    named.put("x", 1.0);
    EXPECT_EQ(read<std::string>(named.findDefault()), "hello");
    EXPECT_FALSE(named.find("").found());
    const Missive foreign = fromBytes({0x68, 0x69, 0x00, 0xAA, 0xBB, 0x02, 0x1E, 0x0F, 0x05});
    EXPECT_EQ(read<std::string>(foreign.findDefault()), "hi");

    // Type bytes are compared without bits 5 and 7.
    const Missive flagged = fromBytes({0x05, 0x00, 0x00, 0x00, 0x6B, 0x00, 0x02, 0xAF, 0x27, 0x06});
    const MissiveCursor c = flagged.find("k");
    EXPECT_EQ(c.keyType, 15);
    EXPECT_EQ(c.valueType, 7);
    EXPECT_EQ(c.count, 1u);
    EXPECT_EQ(read<double>(c), 5.0);
}

} // namespace
