// The names and words a user gives the tape delay's parameters, held to the
// plug-in: each reaches the parameter and value its canonical form gives.
#include <gtest/gtest.h>

#include "host/product/parameternames.h"
#include "host/runtime/values/parametervalue.h"

namespace {

struct ParameterNames : testing::Test {
    PluginLibrary library{TAPEDELAY_PLUGIN_FILE};
    const PluginDescription description = DescribeLibrary(library);
    const ParameterWords words = TapeDelayWords(description);

    // The assignment as the command writes it back.
    std::string canonical(const std::string& text)
    {
        const auto [index, value] = ParseParameterAssignment(description, text, words);
        return ParameterAssignmentText(description.parameters[index], value);
    }
};

TEST_F(ParameterNames, NamesSymbolsAndMusiciansWordsReadAsTheCanonicalAssignment)
{
    for (const auto& [text, expected] : std::vector<std::pair<const char*, const char*>>{
             {".bpm=100", ".bpm=100"},
             {"bpm=100", ".bpm=100"}, // the LV2 symbol, and the label in any case
             {"Feedback=5", "fbak=5"},
             {"Delay Time=300ms", "time=0.3"},
             {"delay=0.3s", "time=0.3"},
             {"In=6", "inpt=6"},
             {"tempo lock=yes", "tlok=on"},
             {"tlok=true", "tlok=on"},
             {"enabled=off", "bypa=1"}, // the host's bypass, inverted
             {"Enabled=on", "bypa=0"},
             {"Bypass=on", "bypa=1"},
             {"nval=eighth", "nval=8th"},
             {"Note=thirty-second", "nval=32nd"},
             {"nval=ThirtySecond", "nval=32nd"},
             {"nval=sixteenth", "nval=16th"},
             {"nval=1/4", "nval=Quarter"},
             {"nval=quarter", "nval=Quarter"},
             {"nval=half", "nval=Half"},
             {"nval=whole", "nval=Whole"},
             {"nval=none", "nval=-"},
             {"nval=off", "nval=-"},
             {"dot3=dotted", "dot3=Dotted"},
             {"Dotted/Triplet=triplet", "dot3=Triplet"},
             {"dot3=straight", "dot3=-"},
             {"dot3=none", "dot3=-"},
         }) {
        EXPECT_EQ(canonical(text), expected) << text;
        EXPECT_EQ(canonical(expected), expected);
    }
}

TEST_F(ParameterNames, EveryWordAddsAnOptionThePluginHas)
{
    for (const OptionWord& word : words.optionWords) {
        const ParameterInfo& parameter =
            description.parameters.at(description.find(word.code).value());
        EXPECT_THROW(ParseParameterValue(parameter, word.word), ParameterValueError) << word.word;
        EXPECT_EQ(ParseParameterValue(parameter, word.word, words.optionWords),
                  ParseParameterValue(parameter, word.option))
            << word.word;
    }
}

TEST_F(ParameterNames, TheSymbolsAreTheBundlesAndOnlySettableParametersAreListed)
{
    EXPECT_EQ(ParameterSymbol(description.parameters.at(description.find(".bpm").value())), "bpm");
    EXPECT_EQ(ParameterSymbol(description.parameters.at(description.find("bypa").value())),
              "enabled");
    EXPECT_EQ(PortSymbol("3d.x"), "_3dx");
    for (const auto& [text, why] : std::vector<std::pair<const char*, const char*>>{
             {"wobl=3",
              "unknown parameter \"wobl\" (the parameters are tlok Session Tempo Lock, nval Note "
              "Value, time Delay Time, .bpm BPM, fbak Feedback, inpt Input, oput Output, blnd "
              "Blend, tone Tone, mode Mode, dot3 Dotted/Triplet, bypa Bypass)"},
             {"Session BPM=100",
              "sBPM (Session BPM) is a value the plug-in writes for display; it cannot be set"},
             {"fbak=3ms", "fbak: \"3ms\" has a unit, but it takes a plain number"},
             {"time=-300ms", "time: -300ms is outside its range, 0.005 to 2"},
             {"enabled=maybe", "bypa: \"maybe\" is not on, off or a number from 0 to 1"},
         }) {
        try {
            canonical(text);
            ADD_FAILURE() << text << " was taken";
        } catch (const ParameterValueError& error) {
            EXPECT_EQ(std::string(error.what()), why);
        }
    }
}

} // namespace
