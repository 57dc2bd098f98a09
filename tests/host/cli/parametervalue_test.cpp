// User values read against the parameters the plug-in describes.
#include <gtest/gtest.h>

#include "host/cli/parametervalue.h"

namespace {

TEST(ParameterValue, UserValuesAreNumbersInRangeOrOptionForms)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const PluginDescription description = DescribeLibrary(library);
    const auto value = [&](const char* code, const char* text) {
        return ParseParameterValue(description.parameters[FindParameter(description, code)], text);
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
        EXPECT_THROW(value(code, text), UsageError) << code << " " << text;
    try {
        FindParameter(description, "TIME");
        ADD_FAILURE();
    } catch (const UsageError& error) {
        EXPECT_NE(std::string(error.what()).find("tlok, nval, time"), std::string::npos);
    }
}

} // namespace
