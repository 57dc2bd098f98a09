// The plug-in's live behaviour, driven as a wrapper drives it: parameter
// changes, the session tempo, tap messages and display updates, watched
// through a recording controller and the values the plug-in writes back.
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tapedelay/source/vx9.h"
#include "tests/support/fakewrapper.h"

namespace {

using Call = std::pair<std::string, double>;
using Calls = std::vector<Call>;

struct RecordingController final : IIVX9Controller {
    Calls calls;
    void log(const char* name, double value) { calls.emplace_back(name, value); }
    void setBypassed(bool bypassed) override { log("setBypassed", bypassed); }
    void setTone(std::uint32_t tone) override { log("setTone", tone); }
    void setMode(std::uint32_t mode) override { log("setMode", mode); }
    void setDelayTime(double seconds) override { log("setDelayTime", seconds); }
    void setFeedback(double dial) override { log("setFeedback", dial); }
    void setInput(double dial) override { log("setInput", dial); }
    void setBlend(double dial) override { log("setBlend", dial); }
    void setOutput(double dial) override { log("setOutput", dial); }
    void setTimeGlide(bool slow) override { log("setTimeGlide", slow); }
    void restartGate(bool restart) override { log("restartGate", restart); }
};

struct PluginRig {
    FakeHost host;
    RecordingController controller;
    VX9 plugin;
    IIHux::Plugin& api = plugin;
    Calls bound;       // what binding gave the controller
    Calls boundWrites; // and wrote back

    // The parameters in the order a host builds them from the descriptions,
    // with their defaults (those in `offered`, or all).
    explicit PluginRig(const std::set<std::string>& offered = {})
    {
        const std::vector<std::pair<std::string, double>> all = {
            {"tlok", 0.0}, {"nval", 0.0},   {"time", 0.5}, {".bpm", 120.0}, {"fbak", 1.0},
            {"inpt", 5.0}, {"oput", 4.5},   {"blnd", 5.0}, {"tone", 0.0},   {"mode", 1.0},
            {"dot3", 0.0}, {"sBPM", 120.0}, {"uiDT", 0.5}, {"bypa", 0.0}};
        for (std::uint32_t index = 0; index < all.size(); ++index)
            if (offered.empty() || offered.count(all[index].first) != 0)
                host.add(all[index].first, index, all[index].second);
        api.initialise(&host, &controller, nullptr);
        bound = std::exchange(controller.calls, {});
        boundWrites = std::exchange(host.writes, {});
    }
    // Stores a value the way a user or automation changes it.
    void set(const std::string& code, double value) { host.at(code).current = value; }
    // Stores and reports a value; returns what the plug-in wrote back meanwhile.
    Calls change(const std::string& code, double value, bool passLinked = true)
    {
        const std::size_t before = host.writes.size();
        set(code, value);
        api.parameterChanged(host.at(code), passLinked);
        api.dispatchParameterChanges();
        return Calls(host.writes.begin() + static_cast<std::ptrdiff_t>(before), host.writes.end());
    }
    // A tap message with its "bpm" value, if any.
    template <class... Value>
    void tap(const Value&... bpm)
    {
        api.handleMessage(
            Missive(std::pair{kMissiveDefault, "BPMTapped"}, std::pair{"bpm", bpm}...));
    }
    // The glide and delay the last delay change sent.
    Calls lastDelayChange() const
    {
        const Calls& calls = controller.calls;
        return calls.size() < 2 ? calls : Calls(calls.end() - 2, calls.end());
    }
};

Calls delayChange(bool slow, double seconds)
{
    return {{"setTimeGlide", slow ? 1.0 : 0.0}, {"setDelayTime", seconds}};
}

TEST(VX9Plugin, BindingGivesTheControllerItsStartAndLinksInOrder)
{
    PluginRig rig;
    const Calls start = {
        {"setDelayTime", 0.5}, {"setFeedback", 9.0}, {"setInput", 4.5}, {"setOutput", 4.5},
        {"setBlend", 9.0},     {"setTone", 1.0},     {"setMode", 0.0},
    };
    EXPECT_EQ(rig.bound, start);
    EXPECT_TRUE(rig.boundWrites.empty());
    FakeHost& host = rig.host;
    rig.api.linkParameter(host.at("nval"));
    EXPECT_EQ(host.at("nval").links,
              (std::vector<HuxParameter*>{&host.at("tlok"), &host.at("dot3"), &host.at("time")}));
}

TEST(VX9Plugin, DirectParametersReachTheController)
{
    const std::vector<std::pair<Call, Call>> cases = {
        {{"fbak", 7.5}, {"setFeedback", 7.5}},       {{"inpt", 2.25}, {"setInput", 2.25}},
        {{"oput", 8.0}, {"setOutput", 8.0}},         {{"blnd", 1.0}, {"setBlend", 1.0}},
        {{"tone", 2.9}, {"setTone", 2.0}},           {{"mode", 1.0}, {"setMode", 1.0}},
        {{"tone", -1.0}, {"setTone", 4294967295.0}}, {{"bypa", 1.0}, {"setBypassed", 1.0}},
        {{"bypa", 0.0}, {"setBypassed", 0.0}},       {{"time", 1.25}, {"setTimeGlide", 0.0}},
    };
    for (const auto& [change, expected] : cases) {
        PluginRig rig;
        rig.change(change.first, change.second);
        ASSERT_FALSE(rig.controller.calls.empty()) << change.first;
        EXPECT_EQ(rig.controller.calls.front(), expected) << change.first;
    }
}

TEST(VX9Plugin, NoteValuesAtATempo)
{
    const float triplet = static_cast<float>(0.5 * 0.6666666666666666);
    // BPM, note value, Dotted/Triplet, delay.
    const std::tuple<double, int, int, double> cases[] = {
        {120.0, 4, 0, 0.5},    {120.0, 3, 1, 0.375}, {120.0, 4, 2, triplet},
        {120.0, 1, 0, 0.0625}, {30.0, 5, 0, 2.0},    {240.0, 5, 0, 0.5},
        {120.0, 6, 0, 2.0},    {240.0, 6, 0, 1.0},   {120.0, 9, 0, 0.5}};
    for (const auto& [bpm, note, dotTriplet, seconds] : cases) {
        SCOPED_TRACE(note);
        PluginRig rig;
        rig.set(".bpm", bpm);
        rig.set("dot3", dotTriplet);
        rig.change("nval", note);
        EXPECT_EQ(rig.controller.calls, delayChange(false, seconds));
        // Right after binding the last note counts as the 8th: no BPM is chosen.
        EXPECT_TRUE(rig.host.writes.empty());
        rig.api.update();
        EXPECT_EQ(rig.host.writes, (Calls{{"uiDT", seconds}}));
    }
}

TEST(VX9Plugin, SessionTempoWithTempoLock)
{
    PluginRig rig;
    rig.api.query(100.0, 0.0, 0.0); // lock off: only the display follows
    EXPECT_TRUE(rig.controller.calls.empty());
    EXPECT_EQ(rig.host.writes, (Calls{{"sBPM", 100.0}}));

    rig.set("tlok", 1.0);
    rig.set("nval", 4.0);
    rig.api.query(90.0, 0.0, 0.0);
    EXPECT_EQ(rig.controller.calls, delayChange(true, static_cast<float>(60.0 / 90.0)));
    // A BPM change now takes the session tempo, not the typed one.
    rig.change(".bpm", 200.0);
    EXPECT_EQ(rig.lastDelayChange(), delayChange(true, static_cast<float>(60.0 / 90.0)));

    // No note value: the shortest delay (the controller raises 0 to 5 ms).
    rig.set("nval", 0.0);
    rig.api.query(120.0, 0.0, 0.0);
    EXPECT_EQ(rig.lastDelayChange(), delayChange(true, 0.0));
}

TEST(VX9Plugin, FreeTimeToNoteValueChoosesTheBpm)
{
    // Dotted/Triplet set before free time, or Dotted chosen in free time.
    const double triplet = 0.25 * 0.6666666666666666;
    const std::tuple<double, bool, double> cases[] = {
        {0.0, false, 0.25}, {1.0, false, 0.375}, {2.0, false, triplet}, {1.0, true, 0.375}};
    for (const auto& [dotTriplet, inFreeTime, seconds] : cases) {
        SCOPED_TRACE(testing::Message() << dotTriplet << (inFreeTime ? " in free time" : ""));
        PluginRig rig;
        rig.set("dot3", inFreeTime ? 0.0 : dotTriplet);
        rig.change("nval", 0.0); // into free time: the last note is now "-"
        rig.change("time", seconds);
        if (inFreeTime)
            rig.change("dot3", dotTriplet); // recalls the 8th
        const Calls written = rig.change("nval", 3.0);
        ASSERT_FALSE(written.empty());
        EXPECT_EQ(written.front().first, ".bpm");
        EXPECT_NEAR(written.front().second, 120.0, 1e-9);
    }
}

TEST(VX9Plugin, DelayTimeOnlyInFreeTime)
{
    PluginRig rig;
    rig.change("time", 1.0);
    EXPECT_EQ(rig.controller.calls, delayChange(false, 1.0));
    rig.controller.calls.clear();
    rig.set("nval", 4.0);
    rig.change("time", 0.1);
    EXPECT_TRUE(rig.controller.calls.empty());
}

TEST(VX9Plugin, NoNoteValueEndsTempoTime)
{
    PluginRig rig;
    rig.change("nval", 3.0); // 0.25 s at 120 BPM
    rig.set("tlok", 1.0);
    rig.set("dot3", 2.0);
    EXPECT_EQ(rig.change("nval", 0.0), (Calls{{"tlok", 0.0}, {"dot3", 0.0}, {"time", 0.25}}));

    // Without Dotted/Triplet the lock stays as it is; Delay Time still follows.
    PluginRig partial({"tlok", "nval", "time", ".bpm"});
    partial.change("nval", 3.0);
    partial.set("tlok", 1.0);
    EXPECT_EQ(partial.change("nval", 0.0), (Calls{{"time", 0.25}}));
}

TEST(VX9Plugin, TempoLockAndDottedRecallTheRememberedNote)
{
    PluginRig rig;
    rig.change("nval", 6.0);
    rig.change("nval", 0.0);
    EXPECT_EQ(rig.change("tlok", 1.0), (Calls{{"nval", 6.0}}));
    rig.set("nval", 0.0);
    EXPECT_EQ(rig.change("dot3", 1.0), (Calls{{"nval", 6.0}}));

    // With a note value already chosen nothing is recalled; dotted applies at once.
    rig.set("tlok", 0.0);
    rig.controller.calls.clear();
    EXPECT_TRUE(rig.change("tlok", 1.0).empty());
    rig.set("tlok", 0.0);
    EXPECT_TRUE(rig.change("dot3", 1.0).empty());
    EXPECT_EQ(rig.controller.calls, delayChange(false, 2.0)); // whole dotted: 3 s, capped
}

TEST(VX9Plugin, TapsGlideSlowlyForAMoment)
{
    PluginRig rig;
    rig.set("nval", 4.0);
    rig.change(".bpm", 100.0); // before any tap
    EXPECT_EQ(rig.lastDelayChange(), delayChange(false, 0.6f));
    rig.host.clock = 10.0;
    rig.tap(100.0);
    for (const auto& [clock, slow] : {std::pair{11.4, true}, std::pair{12.0, false}}) {
        rig.host.clock = clock;
        rig.change(".bpm", 150.0);
        EXPECT_EQ(rig.lastDelayChange(), delayChange(slow, 0.4f)) << clock;
    }
}

TEST(VX9Plugin, TapMessages)
{
    // A double, an unsigned, a text, a text that is not a number, none.
    const std::vector<std::pair<std::function<void(PluginRig&)>, double>> cases = {
        {[](PluginRig& rig) { rig.tap(96.5); }, 96.5},
        {[](PluginRig& rig) { rig.tap(std::uint32_t{100}); }, 100.0},
        {[](PluginRig& rig) { rig.tap("84.5"); }, 84.5},
        {[](PluginRig& rig) { rig.tap("fast"); }, 0.0},
        {[](PluginRig& rig) { rig.tap(); }, 0.0}};
    for (const auto& [send, bpm] : cases) {
        PluginRig rig;
        rig.set("tlok", 1.0);
        send(rig);
        // The 8th is recalled, the tap takes over from the session tempo.
        EXPECT_EQ(rig.host.writes, (Calls{{"nval", 3.0}, {"tlok", 0.0}, {".bpm", bpm}})) << bpm;
    }

    PluginRig rig;
    const Missive other(std::pair{kMissiveDefault, "BPMTap"}, std::pair{"bpm", 90.0});
    EXPECT_EQ(rig.api.handleMessage(other).span().size, 0u);
    EXPECT_TRUE(rig.host.writes.empty());
}

TEST(VX9Plugin, DisplayTimeWrittenOnlyOnChange)
{
    PluginRig rig;
    rig.api.update();
    EXPECT_TRUE(rig.host.writes.empty());
    rig.change("nval", 3.0);
    rig.api.update();
    rig.api.update();
    rig.change(".bpm", 120.0); // the same time again
    rig.api.update();
    rig.change(".bpm", 60.0);
    rig.api.update();
    EXPECT_EQ(rig.host.writes, (Calls{{"uiDT", 0.25}, {"uiDT", 0.5}}));
}

TEST(VX9Plugin, ParametersTheHostLacksAreSkipped)
{
    // Only Note Value and BPM: every linked parameter arrives as null.
    PluginRig rig({"nval", ".bpm"});
    rig.change("nval", 0.0);
    rig.change("nval", 5.0);
    rig.change(".bpm", 60.0);
    rig.api.query(90.0, 0.0, 0.0);
    rig.api.update();
    rig.tap(140.0);
    EXPECT_EQ(rig.host.writes, (Calls{{".bpm", 140.0}}));
    EXPECT_EQ(rig.lastDelayChange(), delayChange(false, 2.0));

    // Linking turned off: the handler gets nulls and touches nothing else.
    PluginRig unlinked;
    unlinked.change("nval", 4.0);
    unlinked.set("tlok", 1.0);
    EXPECT_TRUE(unlinked.change("nval", 0.0, false).empty());

    // A host without any parameter: nothing is bound and nothing breaks.
    PluginRig bare({"none"});
    bare.api.query(120.0, 0.0, 0.0);
    bare.api.update();
    bare.tap(120.0);
    EXPECT_TRUE(bare.controller.calls.empty());
}

} // namespace
