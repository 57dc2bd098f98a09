// The diagnostic dump: hex view and record table, compared with texts written
// out by hand.
#include "missive/source/serialization/missivedump.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
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
    Missive inner;
    inner.put("gain", 0.5);
    Missive m;
    m.put(kMissiveDefault, "setup");
    m.put("name", "tape");
    m.put("taps", std::uint32_t{3});
    m.put("mix", 0.25);
    m.put("labels", std::vector<std::string>{"In", "Out"});
    m.put(1u, std::vector<Missive>{Missive{}, inner});
    m.put("on", true);

    const std::string expected =
        framed("  0 | str | " + key("'on'") + " |    1  bool | 1\n" + "  1 | u32 | " + key("1") +
               " |    2  msv  | " + "\n    " + kFrame + "\n" + "      0 | str | " + key("'gain'") +
               " |    1  f64  | 0.5\n" + "    " + kFrame + "\n" + "  2 | str | " + key("'labels'") +
               " |    2  str  | 'In', 'Out'\n" + "  3 | str | " + key("'mix'") +
               " |    1  f64  | 0.25\n" + "  4 | str | " + key("'taps'") + " |    1  u32  | 3\n" +
               "  5 | str | " + key("'name'") + " |    1  str  | 'tape'\n" + "  6 | def | " +
               std::string(52, '.') + " |    1  str  | 'setup'\n");
    EXPECT_EQ(table(m), expected);
}

TEST(MissiveDump, ValueAndKeyTexts)
{
    Missive m;
    m.put("six", std::vector<double>{0.5, -2, 3, 4, 5, 6});
    m.put("seven", std::vector<double>{1, 2, 3, 4, 5, 6, 7});
    KtUuid uuid;
    for (std::uint8_t i = 0; i < 16; ++i)
        uuid.bytes[i] = i;
    m.put("id", uuid);
    m.put("mode", Mode::wide);
    m.put("sign", Sign::minus);
    EXPECT_EQ(
        table(m),
        framed("  0 | str | " + key("'sign'") +
               " |    1  enum | <> 18446744073709551615 (10 bytes)\n" + "  1 | str | " +
               key("'mode'") + " |    1  enum | <> 300 (2 bytes)\n" + "  2 | str | " + key("'id'") +
               " |    1  uuid | {00010203-0405-0607-0809-0a0b0c0d0e0f} (16 bytes)\n" +
               "  3 | str | " + key("'seven'") + " |    7  f64  | { 1, 2, 3, 4, 5, ... 7 }\n" +
               "  4 | str | " + key("'six'") + " |    6  f64  | { 0.5, -2, 3, 4, 5, 6 }\n"));

    // A #64 key shows its registered name and the number in upper-case hex.
    EXPECT_EQ(
        table(raw({0x78, 0}, {0x12, 0xEF, 0xCD, 0xAB}, 26, 15)),
        framed("  0 | #64 | " + key("<unregistered> (0xABCDEF12)") + " |    1  str  | 'x'\n"));

    // A key of seven u32 values is listed with the key text's limit of 20.
    Bytes numbers;
    for (std::uint8_t i = 1; i <= 7; ++i)
        numbers.insert(numbers.end(), {i, 0, 0, 0});
    EXPECT_EQ(table(raw({0x78, 0}, numbers, 7, 15)),
              framed("  0 | u32 | " + key("{ 1, 2, 3, 4, 5, 6, 7 }") + " |    1  str  | 'x'\n"));
}

TEST(MissiveDump, HexView)
{
    EXPECT_EQ(captureDump(Missive{}, 1), "missive length: 0 bytes  sequence: 0\n" + framed(""));

    // Key "k", a ten-character text: 17 bytes, so the second row holds one byte.
    const Missive m =
        raw({'A', ' ', 'b', '~', 0x7F, 0x01, 0x80, 0x1F, '!', 'z', 0}, {'k', 0}, 15, 15);
    const std::string expected =
        "missive length: 17 bytes  sequence: 2\n" + kRuler +
        "41 20 62 7e 7f 01 80 1f 21 7a 00 6b 00 02 0f 0f   "
        "A\xE2\x8B\x85"
        "b~\x7F\xE2\x96\xAA\xE2\x96\xAA\xE2\x96\xAA!z\xE2\x96\xAB"
        "k"
        "\xE2\x96\xAB\xE2\x96\xAA\xE2\x96\xAA\xE2\x96\xAA\n"
        "0d " +
        std::string(45, ' ') + "  \xE2\x96\xAA\n" + kRuler +
        framed("  0 | str | " + key("'k'") + " |    1  str  | 'A b~\x7F\x01\x80\x1F!z'\n");
    EXPECT_EQ(captureDump(m, 1), expected);

    EXPECT_EQ(captureDump(m, 0), "");
    EXPECT_EQ(captureDump(m, 2), "");
}

TEST(MissiveDump, DeepNestingIsCutShort)
{
    // 200 levels of messages inside messages: tables go 64 levels deep, the
    // rest is shown by its size, so hostile input cannot exhaust the stack.
    Missive m;
    m.put("leaf", 1.0);
    for (int level = 0; level < 200; ++level) {
        Missive outer;
        outer.put("m", m);
        m = outer;
    }
    const std::string text = table(m);
    EXPECT_NE(text.find("\n" + std::string(4 * 64, ' ') + "----+"), std::string::npos);
    EXPECT_EQ(text.find("\n" + std::string(4 * 65, ' ') + "----+"), std::string::npos);
    EXPECT_EQ(text.find("'leaf'"), std::string::npos);
    EXPECT_NE(text.find("msv  |  ("), std::string::npos);
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
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
    EXPECT_TRUE(
        endsWith(failingDump(sig, 301),
                 kRuler + "\n" + kFrame + "\n  0 | str | " + key("'a'") + " |    1  str  | 'x'\n" +
                     "  1 | str | " + key("'k'") + " |    1  sig  | " +
                     "\n| 'throw' assertion failed. unimplemented missive value dumper: 'n'" +
                     kReportTail + "301\n\n"));

    // A key of type f64 has no key text.
    EXPECT_TRUE(endsWith(
        failingDump(fromBytes({'x', 0, 1, 1, 14, 15, 3}), 235),
        kFrame +
            "\n  0 | f64 | \n| 'throw' assertion failed. unimplemented missive key dumper: f64" +
            kReportTail + "235\n\n"));
}

} // namespace
