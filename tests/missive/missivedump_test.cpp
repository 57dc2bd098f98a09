// The diagnostic dump: hex view and record table, compared with texts written
// out by hand.
#include "missive/source/serialization/missivedump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/missivetest.h"

namespace {

const std::string kFrame =
    "----+-----+------------------------------------------------------+"
    "------------+-----------------------------------------------------------------";
const std::string kRuler = "-----------+===========+-----------+===========   ----====----====\n";

// A key text padded with dots to the key column's width.
std::string key(const std::string& text)
{
    return text + std::string(52 - text.size(), '.');
}

// A table row: index, key type and text, count, value type and text.
std::string row(int index, const char* keyType, const std::string& keyText, int count,
                const char* type, const std::string& value, int depth = 0)
{
    char head[32];
    char middle[32];
    std::snprintf(head, sizeof head, "%*d | %s | ", 3 + 4 * depth, index, keyType);
    std::snprintf(middle, sizeof middle, " | %4d  %-4s | ", count, type);
    return head + key(keyText) + middle + value + "\n";
}

// A top-level table: frame line, the rows, closing line.
std::string framed(const std::string& rows)
{
    return "\n" + kFrame + "\n" + rows + kFrame + "\n\n";
}

std::string table(const Missive& m)
{
    std::ostringstream out;
    MissiveDumpContext context{out};
    dumpRecords(context, m.data(), m.data() + m.size(), 0);
    return out.str();
}

// One record with single-byte length fields: value, key, KL, types, back offset.
Missive raw(Bytes value, const Bytes& keyBytes, std::uint8_t keyType, std::uint8_t valueType)
{
    const std::size_t b = value.size() + keyBytes.size();
    value.insert(value.end(), keyBytes.begin(), keyBytes.end());
    value.insert(value.end(), {std::uint8_t(keyBytes.size()), keyType, valueType, std::uint8_t(b)});
    return fromBytes(value);
}

std::string captureDump(const Missive& m, std::uint8_t enable)
{
    testing::internal::CaptureStdout();
    dump(m, enable);
    return testing::internal::GetCapturedStdout();
}

enum class Mode { off, on, wide = 300 };
enum class Sign { minus = -1 };

TEST(MissiveDump, NestedMessageTable)
{
    // A number key holding a list of messages: the empty one is skipped.
    const Missive inner(std::pair{"gain", 0.5});
    const Missive m(std::pair{kMissiveDefault, "setup"}, std::pair{"name", "tape"},
                    std::pair{"taps", std::uint32_t{3}}, std::pair{"mix", 0.25},
                    std::pair{"labels", std::vector<std::string>{"In", "Out"}},
                    std::pair{1u, std::vector<Missive>{Missive{}, inner}}, std::pair{"on", true});

    const std::string nested = "    " + kFrame + "\n" +
                               row(0, "str", "'gain'", 1, "f64", "0.5", 1) + "    " + kFrame + "\n";
    const std::string expected = framed(
        row(0, "str", "'on'", 1, "bool", "1") + row(1, "u32", "1", 2, "msv", "") + nested +
        row(2, "str", "'labels'", 2, "str", "'In', 'Out'") +
        row(3, "str", "'mix'", 1, "f64", "0.25") + row(4, "str", "'taps'", 1, "u32", "3") +
        row(5, "str", "'name'", 1, "str", "'tape'") + row(6, "def", "", 1, "str", "'setup'"));
    EXPECT_EQ(table(m), expected);
}

TEST(MissiveDump, ValueAndKeyTexts)
{
    KtUuid uuid;
    for (std::uint8_t i = 0; i < 16; ++i)
        uuid.bytes[i] = i;
    const Missive m(std::pair{"six", std::vector<double>{0.5, -2, 3, 4, 5, 6}},
                    std::pair{"seven", std::vector<double>{1, 2, 3, 4, 5, 6, 7}},
                    std::pair{"id", uuid}, std::pair{"mode", Mode::wide},
                    std::pair{"sign", Sign::minus});
    EXPECT_EQ(table(m),
              framed(row(0, "str", "'sign'", 1, "enum", "<> 18446744073709551615 (10 bytes)") +
                     row(1, "str", "'mode'", 1, "enum", "<> 300 (2 bytes)") +
                     row(2, "str", "'id'", 1, "uuid",
                         "{00010203-0405-0607-0809-0a0b0c0d0e0f} (16 bytes)") +
                     row(3, "str", "'seven'", 7, "f64", "{ 1, 2, 3, 4, 5, ... 7 }") +
                     row(4, "str", "'six'", 6, "f64", "{ 0.5, -2, 3, 4, 5, 6 }")));

    // A #64 key shows its registered name and the number in upper-case hex.
    EXPECT_EQ(table(raw({0x78, 0}, {0x12, 0xEF, 0xCD, 0xAB}, 26, 15)),
              framed(row(0, "#64", "<unregistered> (0xABCDEF12)", 1, "str", "'x'")));

    // A key of seven u32 values is listed with the key text's limit of 20.
    Bytes numbers;
    for (std::uint8_t i = 1; i <= 7; ++i)
        numbers.insert(numbers.end(), {i, 0, 0, 0});
    EXPECT_EQ(table(raw({0x78, 0}, numbers, 7, 15)),
              framed(row(0, "u32", "{ 1, 2, 3, 4, 5, 6, 7 }", 1, "str", "'x'")));
}

TEST(MissiveDump, HexView)
{
    EXPECT_EQ(captureDump(Missive{}, 1), "missive length: 0 bytes  sequence: 0\n" + framed(""));

    // Key "k", a ten-character text: 17 bytes, so the second row holds one byte.
    const Missive m =
        raw({'A', ' ', 'b', '~', 0x7F, 0x01, 0x80, 0x1F, '!', 'z', 0}, {'k', 0}, 15, 15);
    const std::string expected = "missive length: 17 bytes  sequence: 2\n" + kRuler +
                                 "41 20 62 7e 7f 01 80 1f 21 7a 00 6b 00 02 0f 0f   "
                                 "A\xE2\x8B\x85"
                                 "b~\x7F\xE2\x96\xAA\xE2\x96\xAA\xE2\x96\xAA!z\xE2\x96\xAB"
                                 "k"
                                 "\xE2\x96\xAB\xE2\x96\xAA\xE2\x96\xAA\xE2\x96\xAA\n"
                                 "0d " +
                                 std::string(45, ' ') + "  \xE2\x96\xAA\n" + kRuler +
                                 framed(row(0, "str", "'k'", 1, "str", "'A b~\x7F\x01\x80\x1F!z'"));
    EXPECT_EQ(captureDump(m, 1), expected);

    EXPECT_EQ(captureDump(m, 0), "");
    EXPECT_EQ(captureDump(m, 2), "");
}

TEST(MissiveDump, DeepNestingIsCutShort)
{
    // 200 levels of messages inside messages: tables go 64 levels deep, the
    // rest is shown by its size, so hostile input cannot exhaust the stack.
    Missive m(std::pair{"leaf", 1.0});
    for (int level = 0; level < 200; ++level)
        m = Missive(std::pair{"m", m});
    const std::string text = table(m);
    EXPECT_NE(text.find("\n" + std::string(4 * 64, ' ') + "----+"), std::string::npos);
    EXPECT_EQ(text.find("\n" + std::string(4 * 65, ' ') + "----+"), std::string::npos);
    EXPECT_EQ(text.find("'leaf'"), std::string::npos);
    EXPECT_NE(text.find("msv  |  ("), std::string::npos);
}

const std::string kReportTail =
    "\n+" + std::string(47, '-') + "\n| missive/source/serialization/missivedump:";

// Runs the dump, expecting a KtException raised at line; returns the output.
std::string failingDump(const Missive& m, std::uint32_t line)
{
    testing::internal::CaptureStdout();
    try {
        dump(m, 1);
        ADD_FAILURE() << "no exception";
    } catch (const KtException& e) {
        EXPECT_EQ(e.line, line);
        EXPECT_STREQ(e.file, "missive/source/serialization/missivedump");
    }
    return testing::internal::GetCapturedStdout();
}

TEST(MissiveDump, UnsupportedTypesRaiseAfterWhatWasPrinted)
{
    // An older record with a sig value (24), then a good record shown first.
    const Missive sig = fromBytes({'k', 0, 2, 15, 24, 2, 'x', 0, 'a', 0, 2, 15, 15, 4});
    EXPECT_TRUE(failingDump(sig, 301).ends_with(
        kRuler + "\n" + kFrame + "\n" + row(0, "str", "'a'", 1, "str", "'x'") +
        row(1, "str", "'k'", 1, "sig", "") +
        "| 'throw' assertion failed. unimplemented missive value dumper: 'n'" + kReportTail +
        "301\n\n"));

    // A key of type f64 has no key text.
    EXPECT_TRUE(failingDump(fromBytes({'x', 0, 1, 1, 14, 15, 3}), 235)
                    .ends_with(kFrame +
                               "\n  0 | f64 | \n| 'throw' assertion failed. unimplemented missive "
                               "key dumper: f64" +
                               kReportTail + "235\n\n"));
}

} // namespace
