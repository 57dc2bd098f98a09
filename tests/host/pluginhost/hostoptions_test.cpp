// The test hosts' command line: every option lands where the render reads
// it, every bad one is refused with a line that names it, and a format's
// own options exist only where the format offers them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/pluginhost/hostoptions.h"
#include "tests/host/refusal.h"

namespace {

constexpr HostCommand kPlain{"host", "BUNDLE", "usage: host\n", false, false};
constexpr HostCommand kOwnOptions{"host", "FILE", "usage: host\n", true, true};

// A command line's arguments, split at its spaces.
HostOptions Parse(const std::string& line, const HostCommand& command = kPlain)
{
    std::vector<std::string> arguments;
    std::istringstream words(line);
    for (std::string word; words >> word;)
        arguments.push_back(word);
    return ParseHostOptions(command, arguments);
}

// What the parser says when it refuses the command line.
std::string Refused(const std::string& line, const HostCommand& command)
{
    return Refusal<HostInputError>([&] { Parse(line, command); });
}

TEST(HostOptions, EveryOptionLandsInItsField)
{
    const HostOptions options =
        Parse("--set fbak=7 b.vst3 --at 1.25:Tone=Dark --block 64 --random-blocks 9 in.wav --tempo "
              "96.5 --save-restore 0.5 --set mode=Modern --rate 44100 --show-values out.wav");
    EXPECT_EQ(options.plugin, "b.vst3");
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

    const HostOptions plain = Parse("b - -");
    EXPECT_EQ(plain.input, "-");
    EXPECT_EQ(plain.blockFrames, 512u);
    EXPECT_FALSE(plain.randomBlocksSeed || plain.saveRestoreSeconds);
    EXPECT_TRUE(Parse("b --help").help);
}

TEST(HostOptions, AFormatsOwnOptionsOnlyWhereItOffersThem)
{
    const HostOptions options =
        Parse("--tempo-at 2.5:90 p.clap --plugin-id a.b i --tempo-at 1:140.5 o", kOwnOptions);
    ASSERT_EQ(options.tempoPoints.size(), 2u);
    EXPECT_EQ(options.tempoPoints[0].seconds, 2.5);
    EXPECT_EQ(options.tempoPoints[0].bpm, 90.0);
    EXPECT_EQ(options.tempoPoints[1].given, "--tempo-at 1:140.5");
    EXPECT_EQ(options.pluginId, "a.b");
    EXPECT_EQ(options.plugin, "p.clap");

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--tempo-at 90 p i o", "--tempo-at: expected SECONDS:BPM, got '90'"},
        {"--tempo-at 1:0 p i o", "--tempo-at: 0 is outside 1 to 999"},
        {"--tempo-at -1:90 p i o", "--tempo-at: -1 is outside 0 to 86400"},
        {"p i", "expected FILE INPUT OUTPUT, got 2 files"},
    };
    for (const auto& [arguments, message] : cases)
        EXPECT_NE(Refused(arguments, kOwnOptions).find(message), std::string::npos) << message;
    EXPECT_EQ(Refused("--tempo-at 1:90 b i o", kPlain), "unknown option --tempo-at");
    EXPECT_EQ(Refused("--plugin-id a.b b i o", kPlain), "unknown option --plugin-id");
    const std::string usage = HostUsageText(kOwnOptions);
    EXPECT_EQ(usage.rfind("usage: host\n", 0), 0u);
    EXPECT_NE(usage.find("--tempo-at SECONDS:BPM"), std::string::npos);
    EXPECT_EQ(HostUsageText(kPlain).find("--plugin-id"), std::string::npos);
}

TEST(HostOptions, TheEditorsOptions)
{
    const HostOptions options = Parse(
        "--editor-set fbak=9@1.5 --editor 4 b i --editor-set Tone=Dark@0 --editor-cycles 100 o");
    EXPECT_EQ(options.editorSeconds, 4.0);
    EXPECT_EQ(options.editorCycles, 100u);
    ASSERT_EQ(options.editorChanges.size(), 2u);
    EXPECT_EQ(options.editorChanges[0].seconds, 1.5);
    EXPECT_EQ(options.editorChanges[0].setting.id, "fbak");
    EXPECT_EQ(options.editorChanges[0].setting.value, "9");
    EXPECT_EQ(options.editorChanges[1].setting.given, "--editor-set Tone=Dark@0");
    // A value with an '@' of its own: the last one starts the time.
    EXPECT_EQ(Parse("--editor 2 --editor-set x=a@b@1 b i o").editorChanges[0].setting.value, "a@b");
    const HostOptions plain = Parse("b i o");
    EXPECT_EQ(plain.editorSeconds, 0.0);
    EXPECT_EQ(plain.editorCycles, 0u);

    EXPECT_NE(HostUsageText(kPlain).find("--editor-set ID=VALUE@SECONDS"), std::string::npos);
}

TEST(HostOptions, BadOptionsAreRefusedByName)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"b in", "expected BUNDLE INPUT OUTPUT, got 2 files"},
        {"b in out x", "got 4 files"},
        {"--loud b i o", "unknown option --loud"},
        {"b i o --block", "--block needs a value"},
        {"--block 0 b i o", "--block: 0 is outside 1 to 1048576"},
        {"--block 2.5 b i o", "--block: not a whole number: '2.5'"},
        {"--random-blocks -1 b i o", "--random-blocks: -1 is outside"},
        {"--tempo fast b i o", "--tempo: not a number: 'fast'"},
        {"--tempo nan b i o", "--tempo: not a number: 'nan'"},
        {"--save-restore -0.1 b i o", "--save-restore: -0.1 is outside"},
        {"--set fbak b i o", "--set: expected ID=VALUE, got 'fbak'"},
        {"--set =7 b i o", "--set: expected ID=VALUE, got '=7'"},
        {"--set fbak= b i o", "--set: expected ID=VALUE, got 'fbak='"},
        {"--at fbak=7 b i o", "--at: expected SECONDS:ID=VALUE"},
        {"--at 1s:fbak=7 b i o", "--at: not a number: '1s'"},
        {"--at 2:fbak b i o", "--at: expected ID=VALUE, got 'fbak'"},
        {"--editor 0 b i o", "--editor: 0 is outside 0.001 to 86400"},
        {"--editor-cycles 0 b i o", "--editor-cycles: 0 is outside"},
        {"--editor-cycles 1.5 b i o", "--editor-cycles: not a whole number"},
        {"--editor 2 --editor-set fbak=9 b i o",
         "--editor-set: expected ID=VALUE@SECONDS, got 'fbak=9'"},
        {"--editor 2 --editor-set fbak@1 b i o", "--editor-set: expected ID=VALUE, got 'fbak'"},
        {"--editor 2 --editor-set fbak=9@-1 b i o", "--editor-set: -1 is outside 0 to 86400"},
        {"--editor 2 --editor-set fbak=9@2 b i o",
         "--editor-set fbak=9@2: not while the editor is open (--editor 2)"},
        {"--editor-set fbak=9@0 b i o", "not while the editor is open (--editor 0)"},
    };
    for (const auto& [arguments, message] : cases)
        EXPECT_NE(Refused(arguments, kPlain).find(message), std::string::npos) << message;
}

} // namespace
