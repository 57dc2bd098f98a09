// Result records, KtException and the failure report of KtFail.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/kt.h"

namespace {

// Standard output may come back with CR LF line ends on Windows.
std::string CapturedStdout()
{
    std::string text = testing::internal::GetCapturedStdout();
    std::erase(text, '\r');
    return text;
}

const char kPath[] = "a/../b/c";

TEST(KtException, BuildsMessageAndLocation)
{
    const KtException bare("x", nullptr, 5);
    EXPECT_STREQ(bare.what(), "x");
    EXPECT_EQ(bare.code, -1);
    EXPECT_EQ(bare.file, nullptr);
    EXPECT_STREQ(KtException(nullptr, nullptr, 0).what(), "");
    EXPECT_STREQ(KtException("m", "src/unit.cpp", 7).what(), "m @ src/unit.cpp:7");
    EXPECT_STREQ(KtException("bad", kPath, 12).what(), "bad @ /b/c:12");

    // The message keeps its first 111 characters; the suffix is lost first.
    const std::string longText(200, 'L');
    EXPECT_EQ(KtException(longText.c_str(), kPath, 12).what(), longText.substr(0, 111));
    const std::string nearlyFull(105, 'n');
    EXPECT_EQ(KtException(nearlyFull.c_str(), kPath, 12).what(), nearlyFull + " @ /b/");
}

TEST(KtException, CopiesIntoResultRecord)
{
    const std::string text(111, 'q');
    const KtException exception(text.c_str(), kPath, 34);
    KtResult assigned;
    assigned = exception;
    KtResult& same = assigned;
    assigned = same;
    for (const KtResult& copy : {KtResult(exception), assigned}) {
        EXPECT_EQ(copy.file, kPath);
        EXPECT_EQ(copy.line, 34u);
        EXPECT_EQ(copy.code, -1);
        EXPECT_EQ(copy.message, text);
    }
}

TEST(KtNamedResult, CodeIsFnv1aWithBit31Cleared)
{
    // Published FNV-1a 64 vectors: cbf29ce484222325, af63dc4c8601ec8c, 85944171f73967e8.
    EXPECT_EQ(KtNamedResult("").code, 0x04222325);
    EXPECT_EQ(KtNamedResult("a").code, 0x0601ec8c);
    EXPECT_EQ(KtNamedResult("foobar").code, 0x773967e8);
}

TEST(KtFail, PrintsReportAndThrows)
{
    static const char kReader[] = "missive/../source/reader.cpp";
    const std::string shown = "/source/reader.cpp";
    const std::string report = "\n| 'throw' assertion failed. missive underrun 4 of 8\n+" +
                               std::string(shown.size() + 7, '-') + "\n| " + shown + ":634";
    testing::internal::CaptureStdout();
    std::string what;
    try {
        KtFail("throw", kReader, 634, "missive underrun @ of @", 4, 8);
    } catch (const KtException& e) {
        what = e.what();
        EXPECT_EQ(e.code, -1);
        EXPECT_EQ(e.file, kReader);
        EXPECT_EQ(e.line, 634u);
    }
    EXPECT_EQ(CapturedStdout(), report + "\n\n");
    // The report leaves room for part of the location suffix only.
    const std::string suffix = " @ " + shown + ":634";
    ASSERT_LT(report.size(), 111u);
    ASSERT_GT(report.size() + suffix.size(), 111u);
    EXPECT_EQ(what, (report + suffix).substr(0, 111));

    // "0" as expression text; a path without "../" is shown whole.
    testing::internal::CaptureStdout();
    EXPECT_THROW(KtFail("0", "io.cpp", 3, "bad @", 'x'), KtException);
    EXPECT_EQ(CapturedStdout(),
              "\n| throw: bad x\n+" + std::string(6 + 7, '-') + "\n| io.cpp:3\n\n");

    // A formatting error is thrown in place of the report.
    testing::internal::CaptureStdout();
    EXPECT_THROW(KtFail("throw", "io.cpp", 3, "a@b@c", 1), std::runtime_error);
    EXPECT_THROW(KtFail("throw", "io.cpp", 3, "none", 1), std::logic_error);
    EXPECT_EQ(CapturedStdout(), "");
}

} // namespace
