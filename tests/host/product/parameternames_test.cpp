// The names and words a user gives the tape delay's parameters, held to the
// plug-in: each reads as the assignment the command writes back.
#include <gtest/gtest.h>

#include "host/product/parameternames.h"
#include "host/runtime/values/parametervalue.h"
#include "tests/host/refusal.h"

namespace {

TEST(ParameterNames, NamesSymbolsAndMusiciansWordsReadAsTheCanonicalAssignment)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const PluginDescription description = DescribeLibrary(library);
    const ParameterWords words = TapeDelayWords(description);
    const auto canonical = [&](const std::string& text) {
        const auto [index, value] = ParseParameterAssignment(description, text, words);
        return ParameterAssignmentText(description.parameters[index], value);
    };
    for (const auto& [text, expected] : std::vector<std::pair<const char*, const char*>>{
             {"bpm=100", ".bpm=100"}, // the LV2 symbol, and the label in any case
             {"Feedback=5", "fbak=5"},
             {"Delay Time=300ms", "time=0.3"},
             {"tempo lock=yes", "tlok=on"},
             {"enabled=off", "bypa=1"}, // the host's bypass, inverted
             {"Bypass=on", "bypa=1"},
             {"Note=thirty-second", "nval=32nd"},
             {"nval=quarter", "nval=Quarter"},
             {"nval=none", "nval=-"},
             {"Dotted/Triplet=straight", "dot3=-"},
         }) {
        EXPECT_EQ(canonical(text), expected) << text;
        EXPECT_EQ(canonical(expected), expected);
    }

    // Each word adds what the plug-in's own forms lack, and names an option
    // the plug-in has.
    for (const OptionWord& word : words.optionWords) {
        const ParameterInfo& parameter =
            description.parameters.at(description.find(word.code).value());
        EXPECT_THROW(ParseParameterValue(parameter, word.word), ParameterValueError) << word.word;
        EXPECT_EQ(ParseParameterValue(parameter, word.word, words.optionWords),
                  ParseParameterValue(parameter, word.option))
            << word.word;
    }

    // Only what a user may set is listed, each with its name.
    EXPECT_EQ(Refusal<ParameterValueError>(canonical, "wobl=3"),
              "unknown parameter \"wobl\" (the parameters are tlok Session Tempo Lock, nval Note "
              "Value, time Delay Time, .bpm BPM, fbak Feedback, inpt Input, oput Output, blnd "
              "Blend, tone Tone, mode Mode, dot3 Dotted/Triplet, bypa Bypass)");
    EXPECT_THROW(canonical("Session BPM=100"), ParameterValueError);
}

} // namespace
