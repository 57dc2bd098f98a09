// User values read against the parameters the plug-in describes, and
// parameters found by the names a user gives them.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "host/runtime/values/parametername.h"
#include "host/runtime/values/parametervalue.h"

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
    struct Case {
        const char* code;
        const char* text;
        double value;
    };
    for (const auto& [code, text, expected] : std::vector<Case>{
             {"nval", "qtr", 4.0},
             {"nval", "-", 0.0},
             {"dot3", "3", 2.0}, // an option's form before an index
             {"tone", "1", 1.0},
             {"time", "5e-3", 0.005},
             {"time", "300ms", 0.3}, // the same double as "0.3"
             {"time", "0.3s", 0.3},
             {"time", "1.5E+2ms", 0.15},
             {".bpm", "100bpm", 100.0}, // its own unit
             {"tlok", "Yes", 1.0},
             {"tlok", "false", 0.0},
             {"tlok", "1", 1.0},
             {"bypa", "on", 1.0},
             {"bypa", "NO", 0.0},
             {"bypa", "1", 1.0},
         })
        EXPECT_EQ(value(code, text), expected) << code << " " << text;

    for (const auto& [code, text, why] : std::vector<std::array<const char*, 3>>{
             {"time", "2.5", "outside its range"},
             {"time", "-300ms", "outside its range"},
             {"time", "nan", "is not a number"},
             {"time", "3dB", "is not in seconds"},
             {"time", "0.3 s", "is not a number"},
             {"fbak", "3ms", "\"3ms\" has a unit, but it takes a plain number"},
             {".bpm", "100ms", "has a unit, but it takes bpm"},
             {"fbak", "1e400", "is not a number"},
             {"fbak", " 3", "is not a number"},
             {"tone", "1.5", "option index 1.5"},
             {"tone", "-1", "option index -1"},
             {"mode", "Vintage,Retro", "is not one of its options"},
             {"tlok", "maybe", "is not one of its options"},
             {"bypa", "2", "outside its range"},
             {"nval", "eighth", "is not one of its options"}, // a host's word, not given
         }) {
        try {
            value(code, text);
            ADD_FAILURE() << code << " " << text << " was taken";
        } catch (const ParameterValueError& error) {
            EXPECT_NE(std::string(error.what()).find(why), std::string::npos) << error.what();
        }
    }
}

TEST_F(ParameterValue, AHostsOptionWordsApplyToTheirParameterAlone)
{
    const std::vector<OptionWord> words = {{"nval", "eighth", "8th"}, {"nval", "lots", "9th"}};
    EXPECT_EQ(value("nval", "EIGHTH", words), 3.0);
    EXPECT_THROW(value("dot3", "eighth", words), ParameterValueError);
    EXPECT_THROW(value("nval", "lots", words), ParameterValueError); // no such option
}

TEST_F(ParameterValue, WrittenValuesReadBackAsTheSameValue)
{
    // Only the user's form carries the units.
    EXPECT_EQ(ParameterValueText(parameter("nval"), 4.0), "Quarter");
    EXPECT_EQ(ParameterValueText(parameter("time"), 0.11), "0.11");
    EXPECT_EQ(value("time", ParameterValueText(parameter("time"), 0.11).c_str()), 0.11);
    EXPECT_EQ(FormatParameterValue(parameter("time"), 0.11), "0.11 secs");
}

// Two parameters that share a label, a bypass and a value for display, with
// the aliases a host might give them.
PluginDescription SharedLabels()
{
    PluginDescription description;
    const auto add = [&](const char* code, std::vector<std::string> labels) -> ParameterInfo& {
        ParameterInfo& parameter = description.parameters.emplace_back();
        parameter.code = code;
        parameter.labels = std::move(labels);
        parameter.maxValue = 10.0;
        return parameter;
    };
    add("gain", {"Input Gain", "Gain"});
    add("outg", {"Output Gain", "Gain"});
    ParameterInfo& bypass = add("bypa", {});
    bypass.hostBypass = true;
    bypass.maxValue = 1.0;
    add("show", {"Shown"}).automate = false;
    return description;
}

TEST(ParameterName, AnExactIdentifierWinsThenAnyNameInAnyCaseMustFitOneParameter)
{
    const PluginDescription description = SharedLabels();
    const std::vector<ParameterAlias> aliases = {{"enabled", "bypa", true}, {"out", "outg"}};
    for (const auto& [name, index, inverted] : std::vector<std::tuple<const char*, int, bool>>{
             {"gain", 0, false}, // the identifier, though "Gain" is a label of both
             {"input GAIN", 0, false},
             {"Output Gain", 1, false},
             {"OUT", 1, false},
             {"Enabled", 2, true},
             {"bypa", 2, false},
             {"shown", 3, false},
         }) {
        const NamedParameter found = FindNamedParameter(description, name, aliases);
        EXPECT_EQ(found.index, static_cast<std::size_t>(index)) << name;
        EXPECT_EQ(found.inverted, inverted) << name;
    }
    const auto refusal = [&](const char* text) {
        try {
            ParseParameterAssignment(description, text, {aliases, {}});
        } catch (const ParameterValueError& error) {
            return std::string(error.what());
        }
        return std::string("taken");
    };
    EXPECT_EQ(refusal("GAIN=3"), "the parameter \"GAIN\" could be gain Input Gain or outg Output "
                                 "Gain; give its identifier");
    // Only what a user may set is listed.
    EXPECT_EQ(refusal("wobl=3"), "unknown parameter \"wobl\" (the parameters are gain Input Gain, "
                                 "outg Output Gain, bypa)");
    EXPECT_EQ(refusal("Shown=3"),
              "show (Shown) is a value the plug-in writes for display; it cannot be set");
    EXPECT_EQ(refusal("gain 3"), "\"gain 3\" is not of the form NAME=VALUE");

    // An inverted alias counts down from the top of the range.
    using Assignment = std::pair<std::size_t, double>;
    EXPECT_EQ(ParseParameterAssignment(description, "enabled=off", {aliases, {}}),
              Assignment(2, 1.0));
    EXPECT_EQ(ParseParameterAssignment(description, "enabled=1", {aliases, {}}),
              Assignment(2, 0.0));
}

} // namespace
