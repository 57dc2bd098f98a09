// The VST3 host's command line: every option lands where the render reads
// it, and every bad one is refused with a line that names it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/vst3host/hostoptions.h"

namespace {

HostOptions Parse(const std::vector<std::string>& arguments)
{
    return ParseHostOptions(arguments);
}

TEST(Vst3HostOptions, EveryOptionLandsInItsField)
{
    const HostOptions options = Parse({"--set",
                                       "fbak=7",
                                       "b.vst3",
                                       "--at",
                                       "1.25:Tone=Dark",
                                       "--block",
                                       "64",
                                       "--random-blocks",
                                       "9",
                                       "in.wav",
                                       "--tempo",
                                       "96.5",
                                       "--save-restore",
                                       "0.5",
                                       "--set",
                                       "mode=Modern",
                                       "--rate",
                                       "44100",
                                       "--show-values",
                                       "out.wav"});
    EXPECT_EQ(options.bundle, "b.vst3");
    EXPECT_EQ(options.input, "in.wav");
    EXPECT_EQ(options.output, "out.wav");
    ASSERT_EQ(options.starting.size(), 2u);
    EXPECT_EQ(options.starting[0].id, "fbak");
    EXPECT_EQ(options.starting[0].value, "7");
    EXPECT_EQ(options.starting[1].given, "--set mode=Modern");
    ASSERT_EQ(options.points.size(), 1u);
    EXPECT_EQ(options.points[0].seconds, 1.25);
    EXPECT_EQ(options.points[0].setting.id, "Tone");
    EXPECT_EQ(options.points[0].setting.value, "Dark");
    EXPECT_EQ(options.points[0].setting.given, "--at 1.25:Tone=Dark");
    EXPECT_EQ(options.blockFrames, 64u);
    EXPECT_EQ(options.randomBlocksSeed, 9u);
    EXPECT_EQ(options.tempo, 96.5);
    EXPECT_EQ(options.saveRestoreSeconds, 0.5);
    EXPECT_EQ(options.rawRate, 44100.0);
    EXPECT_TRUE(options.showValues);

    const HostOptions plain = Parse({"b", "-", "-"});
    EXPECT_EQ(plain.input, "-");
    EXPECT_EQ(plain.blockFrames, 512u);
    EXPECT_FALSE(plain.randomBlocksSeed || plain.saveRestoreSeconds);
    EXPECT_TRUE(Parse({"b", "--help"}).help);
}

TEST(Vst3HostOptions, BadOptionsAreRefusedByName)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"b", "in"}, "expected BUNDLE INPUT OUTPUT, got 2 files"},
        {{"b", "in", "out", "x"}, "got 4 files"},
        {{"--loud", "b", "i", "o"}, "unknown option --loud"},
        {{"b", "i", "o", "--block"}, "--block needs a value"},
        {{"--block", "0", "b", "i", "o"}, "--block: 0 is outside 1 to 1048576"},
        {{"--block", "2.5", "b", "i", "o"}, "--block: not a whole number: '2.5'"},
        {{"--random-blocks", "-1", "b", "i", "o"}, "--random-blocks: -1 is outside"},
        {{"--tempo", "fast", "b", "i", "o"}, "--tempo: not a number: 'fast'"},
        {{"--tempo", "nan", "b", "i", "o"}, "--tempo: not a number: 'nan'"},
        {{"--save-restore", "-0.1", "b", "i", "o"}, "--save-restore: -0.1 is outside"},
        {{"--set", "fbak", "b", "i", "o"}, "--set: expected ID=VALUE, got 'fbak'"},
        {{"--set", "=7", "b", "i", "o"}, "--set: expected ID=VALUE, got '=7'"},
        {{"--set", "fbak=", "b", "i", "o"}, "--set: expected ID=VALUE, got 'fbak='"},
        {{"--at", "fbak=7", "b", "i", "o"}, "--at: expected SECONDS:ID=VALUE"},
        {{"--at", "1s:fbak=7", "b", "i", "o"}, "--at: not a number: '1s'"},
        {{"--at", "2:fbak", "b", "i", "o"}, "--at: expected ID=VALUE, got 'fbak'"},
    };
    for (const auto& [arguments, message] : cases) {
        try {
            Parse(arguments);
            ADD_FAILURE() << "accepted: " << message;
        } catch (const HostInputError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

} // namespace
