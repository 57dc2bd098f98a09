// The plug-in base: description exchange, parameter binding and dispatch,
// named messages and state, driven through IIHux::Plugin as the wrapper does.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "hux/public/plugin/huxplugin.h"
#include "idlecontroller.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Codes = std::vector<std::uint32_t>;
using Handles = std::vector<HuxParameter*>;

Bytes bytesOf(const IIMissiveIn& message)
{
    const MissiveSpan span = message.span();
    return Bytes(span.data, span.data + span.size);
}

void expectSuccess(const KtResult& result)
{
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.file, nullptr);
    EXPECT_EQ(result.line, 0u);
    EXPECT_STREQ(result.message, "");
}

struct FakeParameter final : HuxParameter {
    std::uint32_t position = 0;
    double current = 0.0;
    Handles links;

    std::uint32_t index() const override { return position; }
    double value() const override { return current; }
    void setValue(double value) override { current = value; }
    void link(HuxParameter* linked) override { links.push_back(linked); }
};

struct FakeHost final : HuxParameterHost {
    std::map<std::uint32_t, FakeParameter> parameters;
    Codes lookups;                 // every code asked for, in order
    std::vector<bool> withHandler; // whether a handler came with it
    double time = 0.0;

    FakeParameter& add(const char (&code)[5], std::uint32_t index)
    {
        FakeParameter& parameter = parameters[HuxFourCC(code)];
        parameter.position = index;
        return parameter;
    }
    HuxParameter* lookup(std::uint32_t identifier, const void* handler) override
    {
        lookups.push_back(identifier);
        withHandler.push_back(handler != nullptr);
        const auto found = parameters.find(identifier);
        return found == parameters.end() ? nullptr : &found->second;
    }
    double now() const override { return time; }
};

struct RecordingSink final : MessageSink {
    std::vector<Missive> messages;
    void exchange(const Missive& message) override { messages.push_back(message); }
};

struct RecordingByteSink final : ByteSink {
    std::vector<Bytes> stores;
    void store(const std::uint8_t* b, std::size_t n) override { stores.emplace_back(b, b + n); }
};

struct RecordingController final : IdleController {
    std::vector<double> delayTimes;
    void setDelayTime(double seconds) override { delayTimes.push_back(seconds); }
};

// Each overridable hook runs the test's function when set, else the base's.
struct TestPlugin final : HuxPlugin<TestPlugin, IIVX9Controller> {
    using Base = HuxPlugin<TestPlugin, IIVX9Controller>;
    using Base::addBinding;
    using Base::addChangeBinding;
    using Base::addControllerBinding;
    using Base::addMessageHandler;
    using Base::bindings;

    struct Call { TestPlugin* plugin; HuxParameter* parameter; Handles linked; };

    Missive descriptor;
    int bindCalls = 0;
    std::function<void(TestPlugin&)> onBind;
    std::function<void(ParameterAndMeterSink&, std::uint32_t&)> onDescribe;
    std::function<void(IIMissiveOut&, bool)> onWrite;
    std::function<void(const IIMissiveIn&, bool)> onRead;
    std::function<Missive(const IIMissiveIn&)> onUnknown;
    std::vector<bool> bypassCalls;
    std::vector<Call> calls;
    std::vector<std::pair<std::string, Bytes>> handled; // (handler, message bytes)

    Missive describePlugin() override { return descriptor; }
    void bindParameters() override
    {
        ++bindCalls;
        if (onBind)
            onBind(*this);
    }
    void describeParameters(ParameterAndMeterSink& s, std::uint32_t& n) override
    {
        onDescribe ? onDescribe(s, n) : Base::describeParameters(s, n);
    }
    void writeState(IIMissiveOut& s, bool f) override
    {
        onWrite ? onWrite(s, f) : Base::writeState(s, f);
    }
    void readState(const IIMissiveIn& s, bool f) override
    {
        onRead ? onRead(s, f) : Base::readState(s, f);
    }
    Missive handleUnknownMessage(const IIMissiveIn& m) override
    {
        return onUnknown ? onUnknown(m) : Base::handleUnknownMessage(m);
    }
    void setBypass(bool bypassed) override { bypassCalls.push_back(bypassed); }
};

void recordCall(TestPlugin& plugin, HuxParameter& parameter, std::span<HuxParameter* const> linked)
{
    plugin.calls.push_back({&plugin, &parameter, {linked.begin(), linked.end()}});
}

class HuxPluginTest : public ::testing::Test {
protected:
    // Bypass off, so only a test's own bindings look codes up; bypass tests clear this.
    HuxPluginTest() { plugin.descriptor.put(HuxKeys::kEnableBypass, false); }

    // The wrapper's start-up order: descriptor exchange, then initialise.
    void start(std::function<void(TestPlugin&)> bind = {})
    {
        plugin.onBind = std::move(bind);
        expectSuccess(api.exchangeDescriptor(sink));
        expectSuccess(api.initialise(&host, &controller, &context));
    }

    FakeHost host;
    RecordingController controller;
    RecordingSink sink;
    TestPlugin plugin;
    IIHux::Plugin& api = plugin;
    int context = 0;
};

using HuxPluginDescriptor = HuxPluginTest;
using HuxPluginBinding = HuxPluginTest;
using HuxPluginDispatch = HuxPluginTest;
using HuxPluginMessages = HuxPluginTest;
using HuxPluginState = HuxPluginTest;

TEST_F(HuxPluginDescriptor, PassesDescriptorOnceAndBindsBypassByDefault)
{
    plugin.descriptor.clear();
    plugin.descriptor.put(HuxKeys::kCategory, "Delay");
    host.add("bypa", 0);
    std::size_t lookupsAtBind = 0;
    start([&](TestPlugin&) { lookupsAtBind = host.lookups.size(); });
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(bytesOf(sink.messages[0]), bytesOf(plugin.descriptor));
    EXPECT_EQ(host.lookups, Codes{HuxFourCC("bypa")});
    EXPECT_EQ(host.withHandler, std::vector<bool>{true});
    EXPECT_EQ(lookupsAtBind, 1u); // bypass is bound before bindParameters runs
    EXPECT_EQ(plugin.bindCalls, 1);
}

TEST_F(HuxPluginDescriptor, EnableBypassDecidesWhetherBypassIsLookedUp)
{
    host.add("bypa", 0);
    start();
    EXPECT_EQ(sink.messages.size(), 1u);
    EXPECT_TRUE(host.lookups.empty());
    EXPECT_TRUE(plugin.bindings.empty());

    // A later record for the key hides the earlier one.
    plugin.descriptor.put(HuxKeys::kEnableBypass, true);
    start();
    EXPECT_EQ(host.lookups, Codes{HuxFourCC("bypa")});

    // An empty descriptor is not passed on and leaves bypass as it was.
    plugin.descriptor.clear();
    start();
    EXPECT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(host.lookups.size(), 2u);
}

TEST_F(HuxPluginDescriptor, ParametersAndMetersAreSentOnlyWhenDescribed)
{
    std::uint32_t channels = 2;
    expectSuccess(api.exchangeParameters(sink, channels)); // the base describes nothing
    EXPECT_TRUE(sink.messages.empty());

    const Missive parameters(std::pair{"gain", 1.0});
    const Missive meters(std::pair{"level", "peak"});
    plugin.onDescribe = [&](ParameterAndMeterSink& out, std::uint32_t& count) {
        EXPECT_TRUE(out.parameters.empty() && out.meters.empty());
        EXPECT_EQ(count, 2u);
        count = 1;
        out.parameters.assign(parameters);
        out.meters.assign(meters);
    };
    expectSuccess(api.exchangeParameters(sink, channels));
    Missive expected;
    expected.put(HuxKeys::kParameters, parameters);
    expected.put(HuxKeys::kMeters, meters);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(bytesOf(sink.messages[0]), bytesOf(expected));
    EXPECT_EQ(channels, 1u); // the count is shared with the description
}

TEST_F(HuxPluginDescriptor, DescriptionFailurePropagates)
{
    std::uint32_t channels = 2;
    plugin.onDescribe = [](ParameterAndMeterSink& out, std::uint32_t&) {
        out.parameters.put("gain", 1.0);
        throw KtException("bad description", nullptr, 0);
    };
    EXPECT_THROW(api.exchangeParameters(sink, channels), KtException);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(HuxPluginBinding, BypassParameterSetsBypassOnDispatch)
{
    plugin.descriptor.clear();
    FakeParameter& bypass = host.add("bypa", 0);
    start();
    for (const double value : {1.0, 0.0, 0.25, -1.0}) {
        bypass.current = value;
        api.parameterChanged(bypass, true);
    }
    EXPECT_TRUE(plugin.bypassCalls.empty());
    api.dispatchParameterChanges();
    EXPECT_EQ(plugin.bypassCalls, std::vector<bool>{true}); // one run, any non-zero value
    bypass.current = 0.0;
    api.parameterChanged(bypass, false);
    api.dispatchParameterChanges();
    EXPECT_EQ(plugin.bypassCalls, (std::vector<bool>{true, false}));
}

TEST_F(HuxPluginBinding, BindsAtTheParameterIndexOrReturnsMinusOne)
{
    host.add("dely", 5);
    host.add("gain", 2);
    const std::uint32_t none = HuxFourCC("none");
    std::vector<int> results;
    start([&](TestPlugin& p) {
        results.push_back(p.addBinding(none, &recordCall));
        results.push_back(p.addBinding(none, &recordCall, {HuxFourCC("gain")}));
        results.push_back(p.addChangeBinding(none, [](HuxParameter&) {}));
        results.push_back(p.addControllerBinding(none, [](IIVX9Controller*, HuxParameter&) {}));
        EXPECT_TRUE(p.bindings.empty());
        results.push_back(p.addBinding(HuxFourCC("dely"), &recordCall));
        results.push_back(p.addBinding(HuxFourCC("gain"), &recordCall));
    });
    EXPECT_EQ(results, (std::vector<int>{-1, -1, -1, -1, 5, 2}));
    ASSERT_EQ(plugin.bindings.size(), 6u);
    EXPECT_EQ(plugin.bindings[5].handler, &recordCall);
    EXPECT_EQ(plugin.bindings[2].handler, &recordCall);
    EXPECT_EQ(plugin.bindings[0].handler, nullptr);
    EXPECT_EQ(host.lookups, (Codes{none, none, none, none, HuxFourCC("dely"), HuxFourCC("gain")}));
    for (const std::size_t plain : {0, 1, 4, 5}) // plain bindings name their handler
        EXPECT_TRUE(host.withHandler[plain]) << plain;
}

TEST_F(HuxPluginBinding, LinkedParametersAreLookedUpInOrderAndGivenToLink)
{
    FakeParameter& main = host.add("main", 1);
    FakeParameter& first = host.add("lnk1", 0);
    FakeParameter& second = host.add("lnk2", 3);
    start([](TestPlugin& p) {
        const auto linked = {HuxFourCC("lnk2"), HuxFourCC("miss"), HuxFourCC("lnk1")};
        EXPECT_EQ(p.addBinding(HuxFourCC("main"), &recordCall, linked), 1);
        p.addBinding(HuxFourCC("lnk1"), &recordCall);
    });
    EXPECT_EQ(host.lookups, (Codes{HuxFourCC("main"), HuxFourCC("lnk2"), HuxFourCC("miss"),
                                   HuxFourCC("lnk1"), HuxFourCC("lnk1")}));
    api.linkParameter(main);
    EXPECT_EQ(main.links, (Handles{&second, nullptr, &first}));
    api.linkParameter(first);  // bound without linked parameters
    api.linkParameter(second); // beyond the bindings
    EXPECT_TRUE(first.links.empty());
    EXPECT_TRUE(second.links.empty());
}

TEST_F(HuxPluginDispatch, RunsPendingHandlersOnceInIndexOrder)
{
    FakeParameter& late = host.add("late", 4);
    FakeParameter& early = host.add("erly", 1);
    FakeParameter& unbound = host.add("free", 9);
    std::vector<std::string> log;
    start([&](TestPlugin& p) {
        p.addChangeBinding(HuxFourCC("late"), [&](HuxParameter& q) {
            EXPECT_EQ(&q, &late);
            log.push_back("late");
        });
        p.addChangeBinding(HuxFourCC("erly"), [&](HuxParameter&) { log.push_back("early"); });
    });
    for (FakeParameter* reported : {&late, &unbound, &early, &late})
        api.parameterChanged(*reported, true);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(plugin.bindings.size(), 5u);
    api.dispatchParameterChanges();
    EXPECT_EQ(log, (std::vector<std::string>{"early", "late"}));
    api.dispatchParameterChanges();
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(HuxPluginDispatch, PlainHandlerGetsLinkedParametersOnlyWhenAsked)
{
    FakeParameter& main = host.add("main", 0);
    FakeParameter& first = host.add("lnk1", 1);
    FakeParameter& second = host.add("lnk2", 2);
    FakeParameter& solo = host.add("solo", 3);
    start([](TestPlugin& p) {
        p.addBinding(HuxFourCC("main"), &recordCall,
                     {HuxFourCC("lnk1"), HuxFourCC("miss"), HuxFourCC("lnk2")});
        p.addBinding(HuxFourCC("solo"), &recordCall, {HuxFourCC("lnk2")});
    });
    api.parameterChanged(main, true);
    api.dispatchParameterChanges();
    api.parameterChanged(main, false);
    api.parameterChanged(solo, true);
    api.dispatchParameterChanges();
    ASSERT_EQ(plugin.calls.size(), 3u);
    EXPECT_EQ(plugin.calls[0].plugin, &plugin);
    EXPECT_EQ(plugin.calls[0].parameter, &main);
    EXPECT_EQ(plugin.calls[0].linked, (Handles{&first, nullptr, &second}));
    EXPECT_EQ(plugin.calls[1].linked, Handles(3, nullptr));
    EXPECT_EQ(plugin.calls[2].parameter, &solo);
    EXPECT_EQ(plugin.calls[2].linked, Handles{&second});
}

TEST_F(HuxPluginDispatch, FourLinkedParametersAreUnimplemented)
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

TEST_F(HuxPluginDispatch, PlainHandlerWinsOverChangeAndChangeOverController)
{
    FakeParameter& both = host.add("both", 0);
    FakeParameter& time = host.add("time", 1);
    int changeRuns = 0;
    start([&](TestPlugin& p) {
        p.addChangeBinding(HuxFourCC("both"), [&](HuxParameter&) { ++changeRuns; });
        p.addBinding(HuxFourCC("both"), &recordCall);
        p.addControllerBinding(HuxFourCC("time"), [](IIVX9Controller* c, HuxParameter& q) {
            c->setDelayTime(q.value());
        });
    });
    time.current = 0.5;
    api.parameterChanged(both, true);
    api.parameterChanged(time, true);
    api.dispatchParameterChanges();
    EXPECT_EQ(plugin.calls.size(), 1u);
    EXPECT_EQ(changeRuns, 0);
    EXPECT_EQ(controller.delayTimes, std::vector<double>{0.5}); // initialise's controller

}

TEST_F(HuxPluginMessages, NamedMessageGoesToItsHandlerWithAnEmptyReply)
{
    plugin.onUnknown = [](const IIMissiveIn&) { return Missive(std::pair{"answer", 42.0}); };
    start([](TestPlugin& p) {
        p.addMessageHandler("pong", [](TestPlugin& q, const Missive& m) {
            q.handled.emplace_back("pong", bytesOf(m));
        });
    });
    Missive other;
    other.put(kMissiveDefault, "other");
    IIMissiveOut& first = api.handleMessage(other); // fills the reply
    EXPECT_FALSE(bytesOf(first).empty());

    Missive pong;
    pong.put(kMissiveDefault, "pong");
    pong.put("value", 7.0);
    const std::uint32_t before = static_cast<Missive&>(first).sequence();
    IIMissiveOut& reply = api.handleMessage(pong);
    EXPECT_EQ(&reply, &first);
    EXPECT_TRUE(bytesOf(reply).empty());
    EXPECT_EQ(static_cast<Missive&>(reply).sequence(), before + 1);
    ASSERT_EQ(plugin.handled.size(), 1u);
    EXPECT_EQ(plugin.handled[0], std::make_pair(std::string("pong"), bytesOf(pong)));
}

TEST_F(HuxPluginMessages, UnknownOrNamelessMessageGoesToTheFallback)
{
    std::vector<Bytes> seen;
    const Missive answer(std::pair{"answer", "yes"});
    plugin.onUnknown = [&](const IIMissiveIn& m) {
        seen.push_back(bytesOf(m));
        return answer;
    };
    start([](TestPlugin& p) {
        p.addMessageHandler("", [](TestPlugin& q, const Missive& m) {
            q.handled.emplace_back("", bytesOf(m));
        });
    });
    Missive unknown;
    unknown.put(kMissiveDefault, "unknown");
    const Missive nameless(std::pair{"Name", "ping"}); // a string key, not the name record
    EXPECT_EQ(bytesOf(api.handleMessage(unknown)), bytesOf(answer));
    EXPECT_EQ(bytesOf(api.handleMessage(nameless)), bytesOf(answer));
    EXPECT_EQ(seen, (std::vector<Bytes>{bytesOf(unknown), bytesOf(nameless)}));
    EXPECT_TRUE(plugin.handled.empty());

    plugin.onUnknown = nullptr; // the base answers with an empty message
    EXPECT_TRUE(bytesOf(api.handleMessage(unknown)).empty());
}

TEST_F(HuxPluginState, StatePassesThroughWriteAndReadState)
{
    start();
    RecordingByteSink bytes;
    expectSuccess(api.saveState(bytes, false)); // the base writes an empty message
    const Bytes garbage{0xff, 0x00, 0x13, 0x80};
    expectSuccess(api.restoreState(garbage.data(), garbage.size(), false)); // and ignores it

    const Missive state(std::pair{"time", 0.25}, std::pair{"mode", "retro"});
    plugin.onWrite = [&](IIMissiveOut& out, bool flag) {
        EXPECT_TRUE(flag);
        out.assign(state);
    };
    expectSuccess(api.saveState(bytes, true));
    ASSERT_EQ(bytes.stores.size(), 2u);
    EXPECT_TRUE(bytes.stores[0].empty());
    EXPECT_EQ(bytes.stores[1], bytesOf(state));

    std::vector<std::pair<Bytes, bool>> seen;
    plugin.onRead = [&](const IIMissiveIn& in, bool flag) { seen.emplace_back(bytesOf(in), flag); };
    expectSuccess(api.restoreState(bytes.stores[1].data(), bytes.stores[1].size(), true));
    expectSuccess(api.restoreState(garbage.data(), garbage.size(), false));
    EXPECT_EQ(seen, (std::vector<std::pair<Bytes, bool>>{{bytesOf(state), true}, {garbage, false}}));
}

} // namespace
