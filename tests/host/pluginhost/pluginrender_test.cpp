// The render loop the test hosts share, driving a plug-in that records what
// it is given: the starting values once each in the plug-in's order, every
// change at its own sample of its block, the tempo of each block and its
// changes, the state round trip at its frame, the audio both ways, and the
// warnings for what fell past the end.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/pluginhost/parametertext.h"
#include "host/pluginhost/pluginrender.h"
#include "tests/support/samplefiles.h"
#include "tests/support/scratchdirectory.h"

namespace {

constexpr HostCommand kCommand{"testhost", "FILE", "usage: testhost\n", true, false};

struct Seen {
    std::vector<ParameterSetting> starting;
    std::vector<std::string> calls;   // "block FRAME+FRAMES @TEMPO", "restore"
    std::vector<std::string> changes; // "FRAME id=VALUE", "FRAME tempo BPM"
};

// Parameters "a" (id 1) and "b" (id 2), b first in the plug-in's order;
// the output is the input doubled.
class RecordingPlugin final : public HostedPlugin {
public:
    explicit RecordingPlugin(Seen& seen, std::uint32_t channels) : seen(seen), channels(channels) {}

    ParameterSetting resolve(const ParameterText& setting) override
    {
        if (setting.id != "a" && setting.id != "b")
            throw HostInputError(setting.given + ": no such parameter");
        return {setting.id == "a" ? 1u : 2u, setting.id == "a" ? 1 : 0, std::stod(setting.value)};
    }
    void give(std::span<const ParameterSetting> starting) override
    {
        seen.starting.assign(starting.begin(), starting.end());
    }
    void start() override {}
    void process(const HostBlock& block) override
    {
        seen.calls.push_back("block " + std::to_string(block.frame) + "+" +
                             std::to_string(block.frames) + " @" + ShortestText(block.tempo));
        for (const ParameterChange& change : block.changes)
            seen.changes.push_back(std::to_string(block.frame + change.offset) + " " +
                                   std::to_string(change.setting.id) + "=" +
                                   ShortestText(change.setting.value));
        for (const TempoChange& change : block.tempoChanges)
            seen.changes.push_back(std::to_string(block.frame + change.offset) + " tempo " +
                                   ShortestText(change.bpm));
        for (std::uint32_t c = 0; c < channels; ++c)
            for (std::uint32_t i = 0; i < block.frames; ++i)
                block.outputs[c][i] = 2.0f * block.inputs[c][i];
    }
    void restore() override { seen.calls.push_back("restore"); }
    std::vector<std::string> valueLines() override { return {"a = 1", "b = 2"}; }
    std::unique_ptr<PluginEditor> openEditor(HostWindow&, RunLoop&, GestureLog&) override
    {
        throw PluginFailure("the recording plug-in has no editor");
    }
    void changeFromHost(const ParameterSetting&) override {}

private:
    Seen& seen;
    std::uint32_t channels;
};

struct PluginRender : ScratchDirectory {
    // Renders `frames` frames of `channels` channels at 1000 Hz with these
    // options, expecting the input doubled; `printed` and `warned` get what
    // it wrote.
    void render(std::vector<std::string> arguments, std::size_t frames, std::size_t channels = 1)
    {
        std::vector<float> input(frames * channels);
        for (std::size_t i = 0; i < input.size(); ++i)
            input[i] = static_cast<float>(i);
        WriteSamples(path("in.wav"), input, 1000.0, channels);
        arguments.insert(arguments.end(), {"plug", path("in.wav"), path("out.wav")});
        const HostOptions options = ParseHostOptions(kCommand, arguments);
        const PluginLoader load = [&](const HostOptions& given, const RenderSetup& setup,
                                      std::ostream&) {
            EXPECT_EQ(given.plugin, "plug");
            EXPECT_EQ(setup.rate, 1000.0);
            EXPECT_EQ(setup.channels, channels);
            return std::make_unique<RecordingPlugin>(seen, setup.channels);
        };
        std::ostringstream out, warnings;
        RenderThroughPlugin(kCommand, options, load, out, warnings);
        printed = out.str();
        warned = warnings.str();
        for (float& x : input)
            x *= 2.0f;
        EXPECT_EQ(Difference(Samples(path("out.wav")), input), "");
    }

    Seen seen;
    std::string printed, warned;
};

TEST_F(PluginRender, StartingValuesOnceEachInThePluginsOrder)
{
    render({"--set", "a=1", "--set", "b=2", "--set", "a=3", "--show-values"}, 10);
    ASSERT_EQ(seen.starting.size(), 2u);
    EXPECT_EQ(seen.starting[0].id, 2u);
    EXPECT_EQ(seen.starting[1].id, 1u);
    EXPECT_EQ(seen.starting[1].value, 3.0);
    EXPECT_EQ(printed, "a = 1\nb = 2\n");
    EXPECT_EQ(warned, "");
}

TEST_F(PluginRender, ChangesFallDueAtTheirOwnSampleAndTheTempoFollows)
{
    render({"--block", "40", "--tempo", "90", "--at", "0.05:a=1", "--tempo-at", "0.08:140", "--at",
            "0.04:b=2", "--at", "0.05:b=3", "--tempo-at", "0.045:100", "--at", "0.2:a=9",
            "--tempo-at", "0.1:60"},
           100, 2);
    EXPECT_EQ(seen.calls,
              (std::vector<std::string>{"block 0+40 @90", "block 40+40 @90", "block 80+20 @140"}));
    EXPECT_EQ(seen.changes, (std::vector<std::string>{"40 2=2", "50 1=1", "50 2=3", "45 tempo 100",
                                                      "80 tempo 140"}));
    EXPECT_EQ(warned, "testhost: warning: --at 0.2:a=9: at or past the end of the input, not "
                      "applied\ntesthost: warning: --tempo-at 0.1:60: at or past the end of the "
                      "input, not applied\n");
}

TEST_F(PluginRender, TheStateRoundTripFallsBetweenBlocksAtItsFrame)
{
    render({"--block", "64", "--save-restore", "0.1"}, 150);
    EXPECT_EQ(seen.calls, (std::vector<std::string>{"block 0+64 @120", "block 64+36 @120",
                                                    "restore", "block 100+50 @120"}));
    EXPECT_THROW(render({"--save-restore", "0.2"}, 150), HostInputError);
}

} // namespace
