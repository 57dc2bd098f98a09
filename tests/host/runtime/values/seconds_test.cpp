// Times as a user writes them: seconds with or without a unit, or minutes
// and seconds, each the same double as the plain decimal.
#include <gtest/gtest.h>

#include "host/runtime/values/parametervalue.h"
#include "host/runtime/values/seconds.h"

namespace {

TEST(Seconds, UnitsAndMinutesGiveTheSameDoubleAsThePlainDecimal)
{
    for (const auto& [text, plain] : std::vector<std::pair<const char*, const char*>>{
             {"300ms", "0.3"},
             {"12.345ms", "0.012345"},
             {"0.1ms", "0.0001"},
             {"1999.9ms", "1.9999"},
             {"7e-1ms", "0.0007"},
             {"-300ms", "-0.3"},
             {"0.3s", "0.3"},
             {"90", "90"},
             {"1:30", "90"},
             {"1:30.1", "90.1"},
             {"0:05", "5"},
             {"10:00.125", "600.125"},
         })
        EXPECT_EQ(ParseClockTime(text, "t"), ParseNumber(plain, "t")) << text;
}

TEST(Seconds, MalformedTimesAreRefusedSayingWhy)
{
    for (const auto& [text, why] : std::vector<std::pair<const char*, const char*>>{
             {"1:75", "gives 75 seconds; minutes and seconds take 00 to 59"},
             {"1:5", "is not a time"},
             {"1:", "is not a time"},
             {":30", "is not a time"},
             {"-1:30", "is not a time"},
             {"1:30.", "is not a time"},
             {"1:30:00", "is not a time"},
             {"1:30s", "is not a time"},
             {"1e3:00", "is not a time"},
             {"1234567890:00", "is not a time"},
             {"90min", "is not in seconds"},
             {"90 s", "is not a number"},
             {"ms", "is not a number"},
             {"soon", "\"soon\" is not a number"},
         }) {
        try {
            ParseClockTime(text, "t");
            ADD_FAILURE() << text << " was taken";
        } catch (const ParameterValueError& error) {
            EXPECT_NE(std::string(error.what()).find(why), std::string::npos) << error.what();
        }
    }
}

} // namespace
