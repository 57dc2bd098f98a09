// The tapedelay command end to end on the real library: bypass, echo times
// from Delay Time and from every tempo source, multi-mono files, and
// refusals of bad input (block-size independence and events at their own
// samples: hostrules_test.cpp).
#include "commandtest.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "host/audio/audiofile.h"
#include "host/product/presets.h"
#include "tests/support/recordingfactory.h"
#include "tests/support/vx9testpack.h"

namespace {

constexpr std::size_t kImpulseAt = 100;

// Where the controller and kernel place an impulse's echo in Modern mode:
// the head's distance behind the write index plus the record chain's latency.
int DesignedEcho(float rate, double delaySeconds)
{
    VX9ControllerRig rig(rate);
    rig.voice(2, 0, delaySeconds, 1.0);
    VX9TestMachine machine(rate, 1);
    return PassLatency(*machine.algorithm, rig.factory.coeffs(), rig.factory.comb());
}

// Where the echo after from arrives: the first sample reaching half its
// peak. The filters of the record chain spread a click over a few samples,
// more of them at the higher rates, so the rise is what marks it.
std::size_t EchoOnset(const std::vector<float>& y, std::size_t from)
{
    const auto begin = y.begin() + static_cast<std::ptrdiff_t>(from);
    const float peak = std::fabs(*std::max_element(
        begin, y.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
    const auto onset =
        std::find_if(begin, y.end(), [peak](float x) { return std::fabs(x) >= 0.5f * peak; });
    return static_cast<std::size_t>(onset - y.begin());
}

struct Render : CommandTest {
    // An impulse at impulseAt through Modern, wet only, with extra options;
    // returns where its echo arrives, relative to the impulse.
    std::ptrdiff_t echoAfter(int rate, std::vector<std::string> options,
                             std::size_t impulseAt = kImpulseAt)
    {
        std::vector<float> input(impulseAt + static_cast<std::size_t>(rate) * 2, 0.0f);
        input[impulseAt] = 1.0f;
        writeRaw(path("impulse.f32"), input);
        options.insert(options.begin(), {"--rate", std::to_string(rate), "--preroll", "0", "--tail",
                                         "0", "--set", "mode=Modern", "--set", "blnd=9"});
        EXPECT_EQ(render(options, path("impulse.f32"), path("echo.f32")), 0);
        const std::vector<float> y = readRaw(path("echo.f32"));
        EXPECT_EQ(y.size(), input.size());
        return static_cast<std::ptrdiff_t>(EchoOnset(y, impulseAt + 1)) -
               static_cast<std::ptrdiff_t>(impulseAt);
    }
};

TEST_F(Render, BypassPassesTheInputBitForBitAndTheTailIsSilent)
{
    const std::vector<float> input = Noise(48000, 0.9f);
    writeRaw(path("in.f32"), input);
    ASSERT_EQ(run({"render", "--quiet", "--set", "bypa=1", "--set", "fbak=9", "--tail", "0.5",
                   path("in.f32"), path("out.f32")}),
              0);
    const std::vector<float> output = readRaw(path("out.f32"));
    ASSERT_EQ(output.size(), input.size() + 24000);
    EXPECT_EQ(std::memcmp(output.data(), input.data(), input.size() * sizeof(float)), 0);
    EXPECT_TRUE(
        std::all_of(output.begin() + 48000, output.end(), [](float x) { return x == 0.0f; }));
}

// With Delay Time at every rate, and with a note at every tempo source.
TEST_F(Render, AnImpulsesEchoArrivesAtTheDelayPlusTheChainsLatency)
{
    struct Case {
        int rate;
        std::vector<std::string> options;
        double seconds;
        std::size_t impulseAt = kImpulseAt;
    };
    const std::vector<Case> cases = {
        {44100, {"--set", "time=0.25"}, 0.25},
        {48000, {"--set", "time=0.25"}, 0.25},
        {96000, {"--set", "time=0.25"}, 0.25},
        {192000, {"--set", "time=0.25"}, 0.25},
        // Choosing a note keeps the delay there was (0.5 s): a quarter at 120.
        {48000, {"--set", "nval=Qtr"}, 0.5},
        {48000, {"--set", "nval=8th", "--set", ".bpm=120"}, 0.25},
        // Dotted and triplet values: vx9plugin_test.cpp.
        {48000, {"--set", "nval=8th", "--set", "dot3=Dotted", "--set", ".bpm=100"}, 0.45},
        // A tap glides the head to the new delay; the impulse waits for it.
        {48000, {"--set", "nval=Quarter", "--tap", "0:80"}, 0.75, 8 * 48000},
        // Tempo Lock alone recalls the 8th, at the default session tempo.
        {48000, {"--set", "tlok=on"}, 0.25},
        {48000, {"--session-bpm", "90", "--set", "tlok=on", "--set", "nval=qtr"}, 2.0 / 3.0},
        {48000,
         {"--session-bpm", "90", "--set", "tlok=on", "--set", "nval=Quarter", "--set", ".bpm=200"},
         2.0 / 3.0},
        // 3 s after the tap the change glides at the normal rate again, so
        // the head has arrived 1.5 s later (by the host clock).
        {48000, {"--set", "nval=Quarter", "--tap", "0:80", "--at", "3:.bpm=60"}, 1.0, 9 * 24000},
    };
    for (const Case& c : cases) {
        const double seconds = static_cast<float>(c.seconds);
        const int designed = DesignedEcho(static_cast<float>(c.rate), seconds);
        // The head's placement takes most of the chain's latency back out.
        EXPECT_NEAR(designed, seconds * c.rate, 0.0005 * c.rate) << c.rate;
        const std::ptrdiff_t echo = echoAfter(c.rate, c.options, c.impulseAt);
        // The half-sample read centre and the filters put the rise within
        // two samples after the designed arrival.
        EXPECT_GE(echo, designed) << c.rate << " " << c.seconds;
        EXPECT_LE(echo, designed + 2) << c.rate << " " << c.seconds;
    }
}

TEST_F(Render, AStereoFileIsTwoIndependentMonoChannels)
{
    const std::vector<float> left = Noise(24000, 0.5f, 7);
    std::vector<float> right(24000, 0.0f);
    right[300] = 0.8f;
    writeStereo(path("stereo.wav"), left, right);
    writeRaw(path("left.f32"), left);
    writeRaw(path("right.f32"), right);
    for (const char* name : {"stereo", "left", "right"}) {
        const std::string extension = name == std::string("stereo") ? ".wav" : ".f32";
        ASSERT_EQ(render({"--set", "mode=Vintage", "--set", "fbak=6", "--tail", "0.2"},
                         path(name + extension), path(name + ("-out" + extension))),
                  0);
    }

    ASSERT_EQ(OpenAudioSource(path("stereo-out.wav"), 0.0)->channels(), 2u);
    const std::vector<float> stereo = Samples(path("stereo-out.wav"));
    EXPECT_EQ(Difference(Channel(stereo, 0), readRaw(path("left-out.f32"))), "");
    EXPECT_EQ(Difference(Channel(stereo, 1), readRaw(path("right-out.f32"))), "");
}

TEST_F(Render, NonFiniteInputReachesThePluginAsSilence)
{
    std::vector<float> input = Noise(4800, 0.5f);
    std::vector<float> cleaned = input;
    for (const std::size_t at : {10u, 500u, 4000u}) {
        input[at] = at == 500 ? INFINITY : NAN;
        cleaned[at] = 0.0f;
    }
    writeRaw(path("dirty.f32"), input);
    writeRaw(path("clean.f32"), cleaned);
    ASSERT_EQ(render({}, path("dirty.f32"), path("dirty-out.f32")), 0);
    ASSERT_EQ(render({}, path("clean.f32"), path("clean-out.f32")), 0);
    EXPECT_EQ(readRaw(path("dirty-out.f32")), readRaw(path("clean-out.f32")));
}

TEST_F(Render, BadInputIsRefusedWithStatusTwoAndNoOutput)
{
    writeRaw(path("in.f32"), Noise(1000, 0.5f));
    writeBytes(path("odd.f32"), "abcdefg", 7);
    writeBytes(path("broken.wav"), "RIFF\x10\0\0\0WAVEjunk", 16);
    const std::string in = path("in.f32");
    const std::string out = path("out.f32");
    const std::vector<std::vector<std::string>> refused = {
        {"render", path("missing.f32"), out},
        {"render", path("broken.wav"), out},
        {"render", path("odd.f32"), out},
        {"render", in, in},
        {"render", "--set", "wobl=3", in, out},
        {"render", "--set", "tone=3", in, out},
        {"render", "--set", "fbak", in, out},
        {"render", "--set", "sBPM=100", in, out}, // values the plug-in writes for display
        {"render", "--at", "1:uiDT=0.3", in, out},
        {"render", "--at", "-1:fbak=2", in, out},
        {"render", "--at", "fbak=2", in, out},
        {"render", "--at", "1:30", in, out},
        {"render", "--tap", "1:0", in, out},
        {"render", "--session-bpm", "nan", in, out},
        {"render", "--rate", "250000", in, out},
        {"render", "--block", "0", in, out},
        {"render", "--tail", "-1", in, out},
        {"render", "--wobble", in, out},
        {"render", in},
        {"mangle"},
        {"describe", "extra"},
    };
    for (const std::vector<std::string>& line : refused) {
        EXPECT_EQ(run(line), 2) << line[1] << " " << line[line.size() - 2];
        EXPECT_FALSE(std::filesystem::exists(out)) << line[1];
    }
    EXPECT_EQ(runCapturing({"render", "--rate", "8000", in, out}), 2);
    EXPECT_EQ(errors, "tapedelay: unsupported sample rate 8000 Hz; the tape delay runs at 11025 "
                      "to 204000 Hz\n");
    // An existing output survives a failed render untouched, with no
    // temporary file left beside it.
    writeRaw(out, {1.0f, 2.0f});
    EXPECT_EQ(run({"render", "--rate", "250000", in, out}), 2);
    EXPECT_EQ(readRaw(out), (std::vector<float>{1.0f, 2.0f}));
    // A report that cannot be written stops the run before the output.
    EXPECT_EQ(run({"render", "--report", path("no/such/folder/r.json"), in, out}), 2);
    EXPECT_EQ(readRaw(out), (std::vector<float>{1.0f, 2.0f}));
    EXPECT_EQ(listing().size(), 4u);
}

// A preset's values are turned in first, in host order, and --set values
// after them; an unknown preset or parameter is named with those there are.
TEST_F(Render, APresetIsItsValuesSetInHostOrderBeforeTheSetValues)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const PluginDescription description = DescribeLibrary(library);
    // Dark Long lists Mode before Feedback, whose law is the mode at the
    // time it is set, so the order is heard.
    const Preset& preset = *FindPreset("Dark Long");
    std::vector<PresetValue> values = preset.values;
    std::stable_sort(values.begin(), values.end(), [&](const auto& a, const auto& b) {
        return description.find(a.code) < description.find(b.code);
    });
    writeRaw(path("in.f32"), Noise(24000, 0.5f));
    std::vector<std::string> given = {"--tail", "1"};
    for (const PresetValue& value : values)
        given.insert(given.end(), {"--set", value.code + "=" + value.text});
    given.insert(given.end(), {"--set", "time=0.7"});
    ASSERT_EQ(render(given, path("in.f32"), path("given.f32")), 0);
    ASSERT_EQ(render({"--tail", "1", "--preset", "DARK-long", "--set", "time=0.7"}, path("in.f32"),
                     path("preset.f32")),
              0);
    EXPECT_EQ(readRaw(path("preset.f32")), readRaw(path("given.f32")));

    for (const auto& [option, known] : std::vector<std::pair<std::string, std::string>>{
             {"--preset=dub", "Slapback, Dub Echo, Clean Quarter"},
             {"--set=wobl=1", "tlok Session Tempo Lock, nval Note Value"}}) {
        EXPECT_EQ(runCapturing({"render", option, path("in.f32"), path("out.f32")}), 2) << option;
        EXPECT_TRUE(said(known)) << errors;
    }
}

TEST_F(Render, DescribeAndDemoWorkAndExplainThemselves)
{
    // A user's table: each parameter's line as --set takes it, the meters;
    // the descriptor's format ids and the host indices only in --dump, with
    // the plug-in's own dump.
    const std::string table = printed({"describe"});
    const std::string dump = printed({"describe", "--dump"});
    const auto lineOf = [](const std::string& text, const std::string& start) {
        const std::size_t at = text.find("\n" + start);
        return at == std::string::npos ? "" : text.substr(at + 1, text.find('\n', at + 1) - at - 1);
    };
    const std::string time = lineOf(table, "  time  Delay Time ");
    for (const char* cell : {" 0.005 to 2 ", " 0.5 ", " secs"})
        EXPECT_NE(time.find(cell), std::string::npos) << cell << "\n" << table;
    EXPECT_NE(lineOf(table, "  mode  Mode ").find(" Vintage | Retro | Modern "), std::string::npos);
    EXPECT_NE(lineOf(table, "  0      In     input"), "") << table;
    for (const char* developer : {"formatId", "pageTable", "index", "missive"}) {
        EXPECT_EQ(table.find(developer), std::string::npos) << developer;
        EXPECT_NE(dump.find(developer), std::string::npos) << developer;
    }
    EXPECT_NE(lineOf(dump, "  13     bypa  Bypass "), "") << dump;

    const std::string presets = printed({"presets"});
    for (const Preset& preset : Presets())
        EXPECT_NE(presets.find(preset.label + " (" + preset.name + ")\n  " + preset.description),
                  std::string::npos)
            << presets;

    EXPECT_NE(printed({"render", "--help"}).find("--session-bpm"), std::string::npos);

    ASSERT_EQ(run({"demo", "--quiet", "--out", path("demo")}), 0);
    for (const char* name : {"slapback", "dub-echo", "clean-quarter", "dark-long"}) {
        const std::unique_ptr<AudioSource> file =
            OpenAudioSource(path("demo/") + name + ".wav", 0.0);
        EXPECT_EQ(file->sampleRate(), 48000.0);
        EXPECT_EQ(file->frames(), 12u * 48000u) << name;
    }
}

#if !defined(_WIN32)
} // namespace
#include "tests/support/shell.h"
namespace {

// The program itself: standard input to standard output, bit for bit under
// bypass (nothing else may reach the audio), and its exit statuses.
TEST_F(Render, TheProgramPipesRawAudioAndReportsItsStatus)
{
    const std::vector<float> input = Noise(10000, 0.8f);
    writeRaw(path("in.f32"), input);
    const std::string program = std::string("'") + TAPEDELAY_COMMAND_FILE + "'";
    const auto status = [](const std::string& command) { return Shell(command, false).status; };
    ASSERT_EQ(status(program + " render --set bypa=1 --tail 0 - - < '" + path("in.f32") + "' > '" +
                     path("out.f32") + "'"),
              0);
    EXPECT_EQ(readRaw(path("out.f32")), input);
    EXPECT_EQ(status(program + " render --wobble - - < /dev/null 2>/dev/null"), 2);
    EXPECT_EQ(status(program + " render --plugin /nonexistent.so - - < /dev/null > /dev/null 2>&1"),
              2);
    for (const char* command : {"render", "describe", "demo"})
        EXPECT_EQ(status(program + " " + command + " -h > /dev/null"), 0) << command;
    EXPECT_EQ(status(program + " --version | grep -qx 'tapedelay [0-9.]*'"), 0);

    // --plugin names a file from the current folder, even without a slash;
    // one that cannot be loaded is the user's error, named with its reason.
    const std::filesystem::path library(TAPEDELAY_PLUGIN_FILE);
    EXPECT_EQ(status("cd '" + library.parent_path().string() + "' && " + program +
                     " render --quiet --tail 0 --plugin " + library.filename().string() + " '" +
                     path("in.f32") + "' '" + path("again.f32") + "'"),
              0);
    writeBytes(path("libfake.so"), "not a library", 13);
    EXPECT_EQ(status("cd '" + dir.string() + "' && " + program +
                     " render --plugin libfake.so in.f32 x.f32 2> err.txt"),
              2);
    const Bytes said = readBytes(path("err.txt"));
    const std::string message(said.begin(), said.end());
    EXPECT_NE(message.find("cannot load the plug-in library " + path("libfake.so") + ": "),
              std::string::npos)
        << message;
}
#endif

} // namespace
