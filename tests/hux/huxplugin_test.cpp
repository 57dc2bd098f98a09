// The plug-in base, driven through IIHux::Plugin as the wrapper does:
// description exchange, parameter binding and dispatch, messages, state.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "hux/public/plugin/huxplugin.h"
#include "tests/support/fakewrapper.h"
#include "tests/support/idlecontroller.h"
#include "tests/support/missivetest.h"

namespace {

using Codes = std::vector<std::uint32_t>;
using Handles = std::vector<HuxParameter*>;

struct RecordingSink final : MessageSink {
    std::vector<Bytes> messages;
    void exchange(const Missive& message) override { messages.push_back(bytesOf(message)); }
};

struct TestPlugin final : HuxPlugin<TestPlugin, IIVX9Controller> {
    using Base = HuxPlugin<TestPlugin, IIVX9Controller>;
    using Base::addBinding;
    using Base::addChangeBinding;
    using Base::addControllerBinding;
    using Base::addMessageHandler;
    using Base::bindings;

    Missive descriptor;
    Missive described;    // the parameter description, when not empty
    Missive unknownReply; // the answer to a message without a handler
    std::function<void(TestPlugin&)> onBind = [](TestPlugin&) {};
    std::vector<bool> bypassCalls;
    std::vector<Handles> calls; // the changed parameter, then the linked ones
    std::vector<Bytes> handled;
    std::vector<Bytes> readStates;

    Missive describePlugin() override { return descriptor; }
    void bindParameters() override { onBind(*this); }
    void describeParameters(ParameterAndMeterSink& sink, std::uint32_t&) override
    {
        sink.parameters.assign(described);
        sink.meters.assign(described);
    }
    void readState(const IIMissiveIn& state, bool) override
    {
        readStates.push_back(bytesOf(state));
    }
    Missive handleUnknownMessage(const IIMissiveIn&) override { return unknownReply; }
    void setBypass(bool bypassed) override { bypassCalls.push_back(bypassed); }
};

void recordCall(TestPlugin& plugin, HuxParameter& parameter, std::span<HuxParameter* const> linked)
{
    plugin.calls.push_back({&parameter});
    plugin.calls.back().insert(plugin.calls.back().end(), linked.begin(), linked.end());
}

class HuxPluginTest : public ::testing::Test {
protected:
    // Without bypass, only a test's own bindings look codes up.
    HuxPluginTest() { plugin.descriptor.put(HuxKeys::kEnableBypass, false); }

    // The wrapper's start-up order: descriptor exchange, then initialise.
    void start(std::function<void(TestPlugin&)> bind = [](TestPlugin&) {})
    {
        plugin.onBind = std::move(bind);
        EXPECT_EQ(api.exchangeDescriptor(sink).code, 0);
        EXPECT_EQ(api.initialise(&host, &controller, nullptr).code, 0);
    }

    FakeHost host;
    IdleController controller;
    RecordingSink sink;
    TestPlugin plugin;
    IIHux::Plugin& api = plugin;
};

TEST_F(HuxPluginTest, EnableBypassDecidesWhetherBypassIsBound)
{
    FakeParameter& bypass = host.add("bypa", 0);
    start();
    EXPECT_EQ(sink.messages, std::vector<Bytes>{bytesOf(plugin.descriptor)});
    EXPECT_TRUE(host.lookups.empty());

    // Absent (here an empty descriptor, which is not passed on): bound,
    // before bindParameters runs.
    TestPlugin fresh;
    std::size_t lookupsAtBind = 0;
    fresh.onBind = [&](TestPlugin&) { lookupsAtBind = host.lookups.size(); };
    IIHux::Plugin& freshApi = fresh;
    freshApi.exchangeDescriptor(sink);
    freshApi.initialise(&host, &controller, nullptr);
    EXPECT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(host.lookups, Codes{HuxFourCC("bypa")});
    EXPECT_EQ(lookupsAtBind, 1u);

    // Reported values reach setBypass only on dispatch, once, any non-zero as on.
    for (const double value : {1.0, 0.0, -0.25}) {
        bypass.current = value;
        freshApi.parameterChanged(bypass, true);
    }
    EXPECT_TRUE(fresh.bypassCalls.empty());
    freshApi.dispatchParameterChanges();
    freshApi.dispatchParameterChanges();
    EXPECT_EQ(fresh.bypassCalls, std::vector<bool>{true});
}

TEST_F(HuxPluginTest, InitialiseRefusesAMissingServiceOrController)
{
    EXPECT_THROW(api.initialise(nullptr, &controller, nullptr), std::invalid_argument);
    EXPECT_THROW(api.initialise(&host, nullptr, nullptr), std::invalid_argument);
    EXPECT_TRUE(host.lookups.empty());
}

TEST_F(HuxPluginTest, ParametersAndMetersTravelInOneMessage)
{
    std::uint32_t channels = 1;
    EXPECT_EQ(api.exchangeParameters(sink, channels).code, 0); // nothing described
    EXPECT_TRUE(sink.messages.empty());

    plugin.described.put("gain", 1.0);
    EXPECT_EQ(api.exchangeParameters(sink, channels).code, 0);
    const Missive expected(std::pair{"parameters", plugin.described},
                           std::pair{"meters", plugin.described});
    EXPECT_EQ(sink.messages, std::vector<Bytes>{bytesOf(expected)});
    // A refused channel count sends nothing: see the product's description tests.
}

TEST_F(HuxPluginTest, BindingsSitAtTheParameterIndex)
{
    FakeParameter& main = host.add("main", 4);
    FakeParameter& first = host.add("lnk1", 1);
    FakeParameter& second = host.add("lnk2", 2);
    const std::uint32_t none = HuxFourCC("none");
    std::vector<int> results;
    start([&](TestPlugin& p) {
        results.push_back(p.addBinding(none, &recordCall));
        results.push_back(p.addChangeBinding(none, [](HuxParameter&) {}));
        results.push_back(p.addControllerBinding(none, [](IIVX9Controller*, HuxParameter&) {}));
        EXPECT_TRUE(p.bindings.empty());
        results.push_back(p.addBinding(HuxFourCC("main"), &recordCall,
                                       {HuxFourCC("lnk2"), none, HuxFourCC("lnk1")}));
        results.push_back(p.addBinding(HuxFourCC("lnk1"), &recordCall));
    });
    EXPECT_EQ(results, (std::vector<int>{-1, -1, -1, 4, 1}));
    EXPECT_EQ(plugin.bindings.size(), 5u);
    EXPECT_EQ(host.lookups, (Codes{none, none, none, HuxFourCC("main"), HuxFourCC("lnk2"), none,
                                   HuxFourCC("lnk1"), HuxFourCC("lnk1")}));

    api.linkParameter(main);
    EXPECT_EQ(main.links, (Handles{&second, nullptr, &first}));
    api.linkParameter(first);  // no linked parameters
    api.linkParameter(second); // not bound
    EXPECT_TRUE(first.links.empty() && second.links.empty());
}

TEST_F(HuxPluginTest, DispatchRunsPendingHandlersOnceInIndexOrder)
{
    FakeParameter& late = host.add("late", 4);
    FakeParameter& early = host.add("erly", 1);
    FakeParameter& unbound = host.add("free", 9);
    FakeParameter& other = host.add("lnk1", 2);
    start([](TestPlugin& p) {
        p.addBinding(HuxFourCC("late"), &recordCall, {HuxFourCC("lnk1"), HuxFourCC("none")});
        p.addBinding(HuxFourCC("erly"), &recordCall);
    });
    for (FakeParameter* reported : {&late, &unbound, &early, &late})
        api.parameterChanged(*reported, true);
    EXPECT_TRUE(plugin.calls.empty());
    api.dispatchParameterChanges();
    api.dispatchParameterChanges();
    EXPECT_EQ(plugin.calls, (std::vector<Handles>{{&early}, {&late, &other, nullptr}}));

    // Without linking, as many nulls as linked parameters.
    api.parameterChanged(late, false);
    api.dispatchParameterChanges();
    EXPECT_EQ(plugin.calls.back(), (Handles{&late, nullptr, nullptr}));
}

TEST_F(HuxPluginTest, FourLinkedParametersAreUnimplemented)
{
    FakeParameter& main = host.add("main", 0);
    start([](TestPlugin& p) {
        p.addBinding(HuxFourCC("main"), &recordCall,
                     {HuxFourCC("a___"), HuxFourCC("b___"), HuxFourCC("c___"), HuxFourCC("d___")});
    });
    api.parameterChanged(main, true);
    try {
        api.dispatchParameterChanges();
        ADD_FAILURE() << "no exception for four linked parameters";
    } catch (const KtException& e) {
        EXPECT_EQ(e.code, -1);
        EXPECT_STREQ(e.file, "hux/public/plugin/hux");
        EXPECT_EQ(e.line, 201u);
        EXPECT_NE(std::strstr(e.what(), "unimplemented"), nullptr) << e.what();
    }
    EXPECT_TRUE(plugin.calls.empty());
}

TEST_F(HuxPluginTest, PlainHandlerWinsOverChangeAndChangeOverController)
{
    FakeParameter& both = host.add("both", 0);
    FakeParameter& time = host.add("time", 1);
    int changeRuns = 0;
    using Runs = std::vector<std::pair<IIVX9Controller*, HuxParameter*>>;
    Runs controllerRuns;
    start([&](TestPlugin& p) {
        p.addChangeBinding(HuxFourCC("both"), [&](HuxParameter&) { ++changeRuns; });
        p.addBinding(HuxFourCC("both"), &recordCall);
        p.addControllerBinding(HuxFourCC("time"), [&](IIVX9Controller* c, HuxParameter& q) {
            controllerRuns.emplace_back(c, &q);
        });
    });
    api.parameterChanged(both, true);
    api.parameterChanged(time, true);
    api.dispatchParameterChanges();
    EXPECT_EQ(plugin.calls, std::vector<Handles>{{&both}});
    EXPECT_EQ(changeRuns, 0);
    // With the controller given to initialise.
    EXPECT_EQ(controllerRuns, (Runs{{&controller, &time}}));
}

TEST_F(HuxPluginTest, HandledMessagesLeaveAnEmptyReplyOthersGetTheUnknownAnswer)
{
    start([](TestPlugin& p) {
        p.addMessageHandler(
            "pong", [](TestPlugin& q, const Missive& m) { q.handled.push_back(bytesOf(m)); });
    });
    // Another name, or a "Name" string key in place of the name record: the
    // answer of handleUnknownMessage, here large enough to live on the heap.
    plugin.unknownReply.put("answer", std::string(600, 'a'));
    IIMissiveOut& reply = api.handleMessage(Missive(std::pair{kMissiveDefault, "ping"}));
    EXPECT_EQ(bytesOf(reply), bytesOf(plugin.unknownReply));
    EXPECT_EQ(bytesOf(api.handleMessage(Missive(std::pair{"Name", "pong"}))),
              bytesOf(plugin.unknownReply));
    EXPECT_TRUE(plugin.handled.empty());

    const Missive pong(std::pair{kMissiveDefault, "pong"}, std::pair{"value", 7.0});
    const std::uint32_t sequence = static_cast<Missive&>(reply).sequence();
    EXPECT_EQ(&api.handleMessage(pong), &reply);
    EXPECT_TRUE(bytesOf(reply).empty());
    EXPECT_EQ(static_cast<Missive&>(reply).sequence(), sequence + 1);
    EXPECT_EQ(plugin.handled, std::vector<Bytes>{bytesOf(pong)});
}

// That the saved state is an empty message is checked through the built
// library's exports (exports_test.cpp).
TEST_F(HuxPluginTest, RestoreHandsOverTheBytes)
{
    start();
    const Bytes garbage{0xff, 0x00, 0x13, 0x80};
    EXPECT_EQ(api.restoreState(garbage.data(), garbage.size(), true).code, 0);
    EXPECT_EQ(plugin.readStates, std::vector<Bytes>{garbage});
}

} // namespace
