// User values and times read against the parameters the plug-in describes,
// and parameters found by the names a user gives them.
#include <gtest/gtest.h>

#include <tuple>

#include "host/runtime/values/parametername.h"
#include "host/runtime/values/parametervalue.h"
#include "host/runtime/values/seconds.h"
#include "tests/host/refusal.h"

namespace {

struct ParameterValue : testing::Test {
    PluginLibrary library{TAPEDELAY_PLUGIN_FILE};
    const PluginDescription description = DescribeLibrary(library);

    const ParameterInfo& parameter(const char* code)
    {
        return description.parameters.at(description.find(code).value());
    }
    double value(const char* code, const char* text, const std::vector<OptionWord>& words = {})
    {
        return ParseParameterValue(parameter(code), text, words);
    }
};

TEST_F(ParameterValue, UserValuesAreNumbersInRangeOrOptionFormsOrSwitchWords)
{
    for (const auto& [code, text, expected] :
         std::vector<std::tuple<const char*, const char*, double>>{
             {"nval", "qtr", 4.0},
             {"dot3", "3", 2.0}, // an option's form before an index
             {"tone", "1", 1.0},
             {"time", "5e-3", 0.005},
             {".bpm", "100bpm", 100.0},  // its own unit
             {".bpm", "100 bpm", 100.0}, // as a host shows it
             {"time", "0.3 secs", 0.3},
             {"tlok", "1", 1.0},
             {"bypa", "false", 0.0},
         })
        EXPECT_EQ(value(code, text), expected) << code << " " << text;

    for (const auto& [code, text, why] :
         std::vector<std::tuple<const char*, const char*, const char*>>{
             {"time", "-300ms", "time: -300ms is outside its range, 0.005 to 2"},
             {"time", "3dB", "is not in seconds"},
             {"fbak", "3ms", "fbak: \"3ms\" has a unit, but it takes a plain number"},
             {".bpm", "100ms", "has a unit, but it takes bpm"},
             {"fbak", "1e400", "is not a number"},
             {"fbak", " 3", "is not a number"},
             {"tone", "1.5", "option index 1.5"},
             {"mode", "Vintage,Retro", "is not one of its options"},
             {"bypa", "maybe", "bypa: \"maybe\" is not on, off or a number from 0 to 1"},
             {"nval", "eighth", "is not one of its options"}, // a host's word, not given
         })
        EXPECT_NE(Refusal<ParameterValueError>([&](const char* c, const char* t) { value(c, t); },
                                               code, text)
                      .find(why),
                  std::string::npos)
            << text;

    const std::vector<OptionWord> words = {{"nval", "eighth", "8th"}, {"nval", "lots", "9th"}};
    EXPECT_EQ(value("nval", "EIGHTH", words), 3.0);
    EXPECT_THROW(value("dot3", "eighth", words), ParameterValueError); // another parameter's
    EXPECT_THROW(value("nval", "lots", words), ParameterValueError);   // no such option

    // What is written reads back as the same value; only the user's form
    // carries the units.
    EXPECT_EQ(ParameterValueText(parameter("nval"), 4.0), "Quarter");
    EXPECT_EQ(value("time", ParameterValueText(parameter("time"), 0.11).c_str()), 0.11);
    EXPECT_EQ(FormatParameterValue(parameter("time"), 0.11), "0.11 secs");
}

// Units and minutes give the same double as the plain decimal would.
TEST(Seconds, TimesAreSecondsWithOrWithoutAUnitOrMinutesAndSeconds)
{
    for (const auto& [text, plain] : std::vector<std::pair<const char*, const char*>>{
             {"300ms", "0.3"},
             {"12.345ms", "0.012345"},
             {"7e-1ms", "0.0007"},
             {"1.5E+2ms", "0.15"},
             {"0.3s", "0.3"},
             {"1:30.1", "90.1"},
             {"0:05", "5"},
             {"90 s", "90"},
         })
        EXPECT_EQ(ParseClockTime(text, "t"), ParseNumber(plain, "t")) << text;
    for (const auto& [text, why] : std::vector<std::pair<const char*, const char*>>{
             {"1:75", "t: \"1:75\" gives 75 seconds; minutes and seconds take 00 to 59"},
             {"1:5", "is not a time"},
             {"-1:30", "is not a time"},
             {"1:30.", "is not a time"},
             {"1:30:00", "is not a time"},
             {"1234567890:00", "is not a time"},
             {"90min", "is not in seconds"},
         })
        EXPECT_NE(Refusal<ParameterValueError>(ParseClockTime, text, "t").find(why),
                  std::string::npos)
            << text;
}

TEST(ParameterName, AnExactIdentifierWinsThenAnyNameInAnyCaseMustFitOneParameter)
{
    // Two parameters that share a label, a bypass and a display value.
    PluginDescription description;
    for (const auto& [code, labels] : std::vector<std::pair<const char*, std::vector<std::string>>>{
             {"gain", {"Input Gain", "Gain"}},
             {"outg", {"Output Gain", "Gain"}},
             {"bypa", {}},
             {"show", {"Shown"}}}) {
        ParameterInfo& parameter = description.parameters.emplace_back();
        parameter.code = code;
        parameter.labels = labels;
        parameter.maxValue = 1.0;
    }
    description.parameters[2].hostBypass = true;
    description.parameters[3].automate = false;
    const ParameterWords words = {{{"enabled", "bypa", true}, {"out", "outg"}}, {}};
    using Assignment = std::pair<std::size_t, double>;
    for (const auto& [text, expected] : std::vector<std::pair<const char*, Assignment>>{
             {"gain=1", {0, 1.0}}, // the identifier, though "Gain" is a label of both
             {"input GAIN=1", {0, 1.0}},
             {"OUT=1", {1, 1.0}},
             {"Enabled=off", {2, 1.0}}, // inverted
             {"enabled=1", {2, 0.0}},
             {"bypa=1", {2, 1.0}},
         })
        EXPECT_EQ(ParseParameterAssignment(description, text, words), expected) << text;

    const auto refusal = [&](const char* text) {
        return Refusal<ParameterValueError>(
            [&] { ParseParameterAssignment(description, text, words); });
    };
    EXPECT_EQ(refusal("GAIN=1"),
              "the parameter \"GAIN\" could be gain Input Gain or outg Output Gain; give its "
              "identifier");
    EXPECT_EQ(refusal("wobl=1"), "unknown parameter \"wobl\" (the parameters are gain Input Gain, "
                                 "outg Output Gain, bypa)");
    EXPECT_EQ(refusal("shown=1"),
              "show (Shown) is a value the plug-in writes for display; it cannot be set");
    EXPECT_EQ(refusal("gain 1"), "\"gain 1\" is not of the form NAME=VALUE");
}

} // namespace
