// Reading values as double, bool and text; short and malformed messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/missivetest.h"

namespace {

enum class Level : int { kTwo = 2 };

void expectFailure(const std::function<void()>& action, const char* message, std::uint32_t line)
{
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const KtException& e) {
        EXPECT_NE(std::strstr(e.what(), message), nullptr) << e.what();
        EXPECT_EQ(e.line, line);
        EXPECT_EQ(e.code, -1);
        EXPECT_STREQ(e.file, "missive/source/serialization/missive");
    }
}

// Writes the value under key and reads it back as double, bool and text
// (the text is not checked when asText is null).
template <class Value>
void expectReads(const char* key, const Value& value, double asDouble, bool asBool,
                 const char* asText)
{
    SCOPED_TRACE(key);
    Missive m;
    m.put(key, value);
    const MissiveCursor c = m.find(key);
    EXPECT_EQ(read<double>(c), asDouble);
    EXPECT_EQ(read<bool>(c), asBool);
    if (asText != nullptr) {
        EXPECT_EQ(read<std::string>(c), asText);
    }
}

TEST(MissiveReader, ConvertsEveryStoredType)
{
    const char* null = kMissiveNullMarker.c_str();
    expectReads("i8", std::int8_t{-5}, -5.0, true, nullptr);
    expectReads("i16", std::int16_t{-300}, -300.0, true, "-300");
    expectReads("i32", std::int32_t{-70000}, -70000.0, true, "-70000");
    expectReads("i64", std::numeric_limits<std::int64_t>::min(), -9223372036854775808.0, true,
                "-9223372036854775808");
    expectReads("i64zero", std::int64_t{0}, 0.0, false, "0");
    expectReads("u8", std::uint8_t{200}, 200.0, true, nullptr);
    expectReads("u16", std::uint16_t{60000}, 60000.0, true, "60000");
    expectReads("u32", std::uint32_t{4000000000u}, 4000000000.0, true, "4000000000");
    expectReads("u64", std::numeric_limits<std::uint64_t>::max(), 18446744073709551616.0, true,
                "18446744073709551615");
    expectReads("true", true, 1.0, true, "true");
    expectReads("false", false, 0.0, false, "false");
    expectReads("f32", 1.0f / 3.0f, static_cast<double>(1.0f / 3.0f), true, "0.333333");
    expectReads("f64", 1234567.0, 1234567.0, true, "1.23457e+06");
    expectReads("text", "2.5xyz", 2.5, false, "2.5xyz");
    expectReads("one", "1", 1.0, true, "1");
    expectReads("trueText", "true", 0.0, false, "true");
    expectReads("abc", "abc", 0.0, false, "abc");
    expectReads("uuid", KtUuid{}, 0.0, false, null);
    expectReads("nested", Missive(std::pair{"a", 1.0}), 0.0, false, null);
    expectReads("enum", Level::kTwo, 0.0, false, null);
    const MissiveCursor absent = Missive{}.find("k");
    EXPECT_EQ(read<double>(absent), 0.0);
    EXPECT_FALSE(read<bool>(absent));
    EXPECT_EQ(read<std::string>(absent), kMissiveNullMarker);

    // A bool byte other than 0 and 1 still reads as true; as a number it is the byte.
    const Missive two = fromBytes({0x02, 0x62, 0x00, 0x02, 0x0F, 0x0B, 0x03});
    EXPECT_EQ(read<double>(two.find("b")), 2.0);
    EXPECT_TRUE(read<bool>(two.find("b")));
    EXPECT_EQ(read<std::string>(two.find("b")), "true");

    // Arrays: each element converted; a nested message has no size, so one element only.
    const Missive arrays(std::pair{"d", std::vector<double>{1.5, -2.0}},
                         std::pair{"s", std::vector<std::string>{"7", "x"}},
                         std::pair{"m", std::vector<Missive>{Missive{}, Missive{}}});
    EXPECT_EQ(readArray<double>(arrays.find("d")), (std::vector<double>{1.5, -2.0}));
    EXPECT_EQ(readArray<double>(arrays.find("s")), (std::vector<double>{7.0, 0.0}));
    EXPECT_EQ(readArray<double>(arrays.find("m")), (std::vector<double>{0.0}));

    // Text without its 0 byte stops at the value's end.
    const Missive unterminated = fromBytes({0x61, 0x62, 0x73, 0x00, 0x02, 0x0F, 0x0F, 0x04});
    EXPECT_EQ(read<std::string>(unterminated.find("s")), "ab");
}

TEST(MissiveReader, ShortValuesAndBadKeysFail)
{
    // u32 value of 3 bytes, key "n".
    const Missive shortU32 = fromBytes({0x01, 0x02, 0x03, 0x6E, 0x00, 0x02, 0x0F, 0x07, 0x05});
    ASSERT_TRUE(shortU32.find("n").found());
    expectFailure([&] { read<double>(shortU32.find("n")); }, "missive underrun", 634);

    // Number-key record with a 2-byte key.
    const Missive shortKey = fromBytes({0x09, 0x01, 0x00, 0x02, 0x07, 0x05, 0x03});
    expectFailure([&] { shortKey.find(std::uint32_t{1}); }, "missive underrun", 634);
    EXPECT_FALSE(shortKey.find("a").found());

    // Default-key record claiming 5 key bytes with none before it.
    const Missive overrun = fromBytes({0x05, 0x1E, 0x0F, 0x05});
    expectFailure([&] { overrun.findDefault(); }, "object size overrun/mismatch", 1010);
    EXPECT_FALSE(overrun.find("a").found());

    // Nested message claiming 127 bytes with 2 present.
    const Missive nested = fromBytes({0x7F, 0x01, 0x02, 0x6D, 0x00, 0x02, 0x0F, 0x14, 0x05});
    expectFailure([&] { readMissives(nested.find("m")); }, "missive underrun", 634);

    // u32 array claiming 2^32 - 1 elements with one present.
    const Missive many = fromBytes(
        {0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x05, 0x00, 0x00, 0x00, 0x61, 0x00, 0x02, 0x0F, 0x87, 0x0B});
    ASSERT_EQ(many.find("a").count, 0xFFFFFFFFu);
    expectFailure([&] { readArray<double>(many.find("a")); }, "missive underrun", 634);
}

// Looks up and reads everything in bytes held in an exactly sized block, so
// that any read outside the message is caught by the address sanitizer.
void probe(const Bytes& bytes)
{
    const std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), block.get());
    const MissiveSpan span{block.get(), bytes.size()};
    for (int kind = 0; kind < 4; ++kind) {
        try {
            const MissiveCursor c = kind == 0   ? MissiveFind(span, "in")
                                    : kind == 1 ? MissiveFind(span, "labels")
                                    : kind == 2 ? MissiveFind(span, std::uint32_t{1})
                                                : MissiveFindDefault(span);
            if (!c.found())
                continue;
            EXPECT_TRUE(c.recordStart >= span.data && c.recordStart <= c.dataStart &&
                        c.dataStart <= c.dataEnd && c.dataEnd <= c.recordEnd &&
                        c.recordEnd <= span.data + span.size);
            read<double>(c);
            read<bool>(c);
            read<std::string>(c);
            readArray<std::string>(c);
            readArray<double>(c);
            for (const MissiveSpan& inner : readMissives(c))
                EXPECT_TRUE(inner.data >= c.dataStart && inner.data + inner.size <= c.dataEnd);
        } catch (const KtException&) {
            // A malformed message may be reported; it must not be read outside.
        }
    }
}

TEST(MissiveReader, MalformedMessagesStayInBounds)
{
    const Missive m(std::pair{"in", "mono"}, std::pair{kMissiveDefault, "name"},
                    std::pair{std::uint32_t{1}, Missive(std::pair{"in", "x"})},
                    std::pair{"labels", std::vector<std::string>{"Input", "In"}},
                    std::pair{"pad", std::string(130, 'p')}, std::pair{"big", std::uint64_t{42}});
    const Bytes valid(m.data(), m.data() + m.size());

    testing::internal::CaptureStdout(); // each failure prints a report
    for (std::size_t length = 0; length <= valid.size(); ++length)
        probe(Bytes(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(length)));
    for (std::size_t at = 0; at < valid.size(); ++at)
        for (std::uint8_t value : {0x00, 0x04, 0x0F, 0x1E, 0x7F, 0x80, 0x94, 0xFF}) {
            Bytes bent = valid;
            bent[at] = value;
            probe(bent);
        }
    probe(Bytes(40, 0xFF)); // endless varints
    probe(Bytes(40, 0x80));
    testing::internal::GetCapturedStdout();
}

} // namespace
