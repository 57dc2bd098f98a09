// SSPrintF: "@" placeholders, "@@" escapes and the errors for argument mismatches.
#include <gtest/gtest.h>

#include <exception>
#include <ios>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/ssprintf.h"

namespace {

using Result = std::pair<std::string, std::string>;

// What was written, and the error text (empty when none was thrown).
template <class Error = std::exception, class... Args>
Result Format(const char* format, const Args&... args)
{
    std::ostringstream out;
    try {
        SSPrintF(out, format, args...);
    } catch (const Error& e) {
        return {out.str(), e.what()};
    }
    return {out.str(), ""};
}

} // namespace

TEST(SSPrintF, WritesFormatAndArguments)
{
    EXPECT_EQ(Format("plain text"), Result("plain text", ""));
    EXPECT_EQ(Format("100@@"), Result("100@", ""));
    EXPECT_EQ(Format("x=@", 7), Result("x=7", ""));
    EXPECT_EQ(Format("@@@", 'c'), Result("@c", ""));
    EXPECT_EQ(Format("@-@-@", 'c', "text", std::string("str")), Result("c-text-str", ""));

    // Numbers follow the stream's current format.
    std::ostringstream hex;
    hex << std::hex;
    SSPrintF(hex, "@ @@ @", 255, 16);
    EXPECT_EQ(hex.str(), "ff @ 10");
}

TEST(SSPrintF, ArgumentMismatch)
{
    // Text written before the error stays written.
    EXPECT_EQ(Format<std::runtime_error>("a@b@c", 1),
              Result("a1b", "invalid ssprintf: '@c' is missing argument(s)"));
    EXPECT_EQ(Format<std::runtime_error>("x@@y@"),
              Result("x@y", "invalid ssprintf: '@' is missing argument(s)"));
    EXPECT_EQ(Format<std::logic_error>("a@@b@c", 1, 2),
              Result("a@b1c", "extra arguments provided to SSPrintF"));
    EXPECT_EQ(Format<std::logic_error>("none", 1),
              Result("none", "extra arguments provided to SSPrintF"));
}
