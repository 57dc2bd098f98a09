// User values read against the parameters the plug-in describes.
#include <gtest/gtest.h>

#include "host/runtime/values/parametervalue.h"

namespace {

TEST(ParameterValue, UserValuesAreNumbersInRangeOrOptionForms)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const PluginDescription description = DescribeLibrary(library);
    const auto parameter = [&](const char* code) -> const ParameterInfo& {
        return description.parameters.at(description.find(code).value());
    };
    const auto value = [&](const char* code, const char* text) {
        return ParseParameterValue(parameter(code), text);
    };
    EXPECT_EQ(value("nval", "qtr"), 4.0);
    EXPECT_EQ(value("nval", "-"), 0.0);
    EXPECT_EQ(value("dot3", "3"), 2.0); // an option's form before an index
    EXPECT_EQ(value("tone", "1"), 1.0);
    EXPECT_EQ(value("time", "5e-3"), 0.005);
    for (const auto& [code, text] :
         std::vector<std::pair<const char*, const char*>>{{"time", "2.5"},
                                                          {"time", "nan"},
                                                          {"fbak", "1e400"},
                                                          {"fbak", " 3"},
                                                          {"tone", "1.5"},
                                                          {"tone", "-1"},
                                                          {"mode", "Vintage,Retro"},
                                                          {"bypa", "on"}})
        EXPECT_THROW(value(code, text), ParameterValueError) << code << " " << text;

    // What is written reads back as the same value; only the user's form
    // carries the units.
    EXPECT_EQ(ParameterValueText(parameter("nval"), 4.0), "Quarter");
    EXPECT_EQ(ParameterValueText(parameter("time"), 0.11), "0.11");
    EXPECT_EQ(value("time", ParameterValueText(parameter("time"), 0.11).c_str()), 0.11);
    EXPECT_EQ(FormatParameterValue(parameter("time"), 0.11), "0.11 secs");
}

} // namespace
