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

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const IIMissiveIn& message)
{
    const MissiveSpan span = message.span();
    return span.size == 0 ? Bytes{} : Bytes(span.data, span.data + span.size);
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
    std::vector<HuxParameter*> links;

    std::uint32_t index() const override { return position; }
    double value() const override { return current; }
    void setValue(double value) override { current = value; }
    void link(HuxParameter* linked) override { links.push_back(linked); }
};

struct FakeHost final : HuxParameterHost {
    std::map<std::uint32_t, FakeParameter> parameters;
    std::vector<std::pair<std::uint32_t, bool>> lookups; // (code, handler given)
    double time = 0.0;

    FakeParameter& add(const char (&code)[5], std::uint32_t index)
    {
        FakeParameter& parameter = parameters[HuxFourCC(code)];
        parameter.position = index;
        return parameter;
    }
    HuxParameter* lookup(std::uint32_t identifier, const void* handler) override
    {
        lookups.emplace_back(identifier, handler != nullptr);
        const auto found = parameters.find(identifier);
        return found == parameters.end() ? nullptr : &found->second;
    }
    double now() const override { return time; }
    std::vector<std::uint32_t> lookedUpCodes() const
    {
        std::vector<std::uint32_t> codes;
        for (const auto& entry : lookups)
            codes.push_back(entry.first);
        return codes;
    }
};

struct RecordingSink final : MessageSink {
    std::vector<Missive> messages;
    void exchange(const Missive& message) override { messages.push_back(message); }
};

struct RecordingByteSink final : ByteSink {
    std::vector<Bytes> stores;
    void store(const std::uint8_t* bytes, std::size_t length) override
    {
        stores.emplace_back(bytes, bytes + length);
    }
};

struct RecordingController final : IIVX9Controller {
    std::vector<double> delayTimes;
    void setBypassed(bool) override {}
    void setTone(std::uint32_t) override {}
    void setMode(std::uint32_t) override {}
    void setDelayTime(double seconds) override { delayTimes.push_back(seconds); }
    void setFeedback(double) override {}
    void setInput(double) override {}
    void setBlend(double) override {}
    void setOutput(double) override {}
    void setTimeGlide(bool) override {}
    void restartGate(bool) override {}
};

struct TestPlugin final : HuxPlugin<TestPlugin, IIVX9Controller> {
    using Base = HuxPlugin<TestPlugin, IIVX9Controller>;
    using Base::addBinding;
    using Base::addChangeBinding;
    using Base::addControllerBinding;
    using Base::addMessageHandler;
    using Base::bindings;

    struct Call {
        TestPlugin* plugin;
        HuxParameter* parameter;
        std::vector<HuxParameter*> linked;
    };

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
    void describeParameters(ParameterAndMeterSink& sink, std::uint32_t& channels) override
    {
        onDescribe ? onDescribe(sink, channels) : Base::describeParameters(sink, channels);
    }
    void writeState(IIMissiveOut& state, bool flag) override
    {
        onWrite ? onWrite(state, flag) : Base::writeState(state, flag);
    }
    void readState(const IIMissiveIn& state, bool flag) override
    {
        onRead ? onRead(state, flag) : Base::readState(state, flag);
    }
    Missive handleUnknownMessage(const IIMissiveIn& message) override
    {
        return onUnknown ? onUnknown(message) : Base::handleUnknownMessage(message);
    }
    void setBypass(bool bypassed) override { bypassCalls.push_back(bypassed); }
};

void recordCall(TestPlugin& plugin, HuxParameter& parameter, std::span<HuxParameter* const> linked)
{
    plugin.calls.push_back({&plugin, &parameter, {linked.begin(), linked.end()}});
}

class HuxPluginTest : public ::testing::Test {
protected:
    // The wrapper's start-up order: descriptor exchange, then initialise.
    void start(std::function<void(TestPlugin&)> bind = {})
    {
        plugin.onBind = std::move(bind);
        expectSuccess(api.exchangeDescriptor(sink));
        expectSuccess(api.initialise(&host, &controller, &context));
    }
    void report(FakeParameter& parameter, bool passLinked = true)
    {
        api.parameterChanged(parameter, passLinked);
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

TEST_F(HuxPluginDescriptor, PassesDescriptorOnceAndKeepsBypassByDefault)
{
    plugin.descriptor.put(HuxKeys::kCategory, "Delay");
    host.add("bypa", 0);
    start();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(bytesOf(sink.messages[0]), bytesOf(plugin.descriptor));
    EXPECT_EQ(host.lookups.front(), std::make_pair(HuxFourCC("bypa"), true));
    EXPECT_EQ(plugin.bindCalls, 1);
}

TEST_F(HuxPluginDescriptor, EmptyDescriptorIsNotPassedOn)
{
    start();
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(host.lookedUpCodes(), std::vector<std::uint32_t>{HuxFourCC("bypa")});
}

TEST_F(HuxPluginDescriptor, EnableBypassFlagDecidesWhetherBypassIsBound)
{
    host.add("bypa", 0);
    plugin.descriptor.put(HuxKeys::kEnableBypass, false);
    start();
    EXPECT_EQ(sink.messages.size(), 1u);
    EXPECT_TRUE(host.lookups.empty());
    EXPECT_TRUE(plugin.bindings.empty());

    // A later record for the key hides the earlier one.
    plugin.descriptor.put(HuxKeys::kEnableBypass, true);
    expectSuccess(api.exchangeDescriptor(sink));
    expectSuccess(api.initialise(&host, &controller, &context));
    EXPECT_EQ(host.lookedUpCodes(), std::vector<std::uint32_t>{HuxFourCC("bypa")});
}

TEST_F(HuxPluginDescriptor, ParametersAreSentOnlyWhenDescribed)
{
    std::uint32_t channels = 2;
    expectSuccess(api.exchangeParameters(sink, channels)); // base describes nothing
    std::uint32_t seen = 0;
    plugin.onDescribe = [&](ParameterAndMeterSink&, std::uint32_t& count) { seen = count; };
    expectSuccess(api.exchangeParameters(sink, channels));
    EXPECT_EQ(seen, 2u);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(HuxPluginDescriptor, SendsParametersThenMetersInOneMessage)
{
    Missive parameters(std::pair{"gain", 1.0});
    Missive meters(std::pair{"level", "peak"});
    plugin.onDescribe = [&](ParameterAndMeterSink& out, std::uint32_t& count) {
        EXPECT_TRUE(out.parameters.empty());
        EXPECT_TRUE(out.meters.empty());
        out.parameters.assign(parameters);
        out.meters.assign(meters);
        count = 1;
    };
    std::uint32_t channels = 2;
    expectSuccess(api.exchangeParameters(sink, channels));
    EXPECT_EQ(channels, 1u);
    Missive expected;
    expected.put(HuxKeys::kParameters, parameters);
    expected.put(HuxKeys::kMeters, meters);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(bytesOf(sink.messages[0]), bytesOf(expected));

    // Meters alone are sent too, with an empty parameter list.
    plugin.onDescribe = [&](ParameterAndMeterSink& out, std::uint32_t&) { out.meters.assign(meters); };
    expectSuccess(api.exchangeParameters(sink, channels));
    ASSERT_EQ(sink.messages.size(), 2u);
    const std::vector<MissiveSpan> sent = readMissives(sink.messages[1].find(HuxKeys::kParameters));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].size, 0u);
    EXPECT_TRUE(sink.messages[1].find(HuxKeys::kMeters).found());
}

TEST_F(HuxPluginDescriptor, DescriptionFailurePropagates)
{
    plugin.onDescribe = [](ParameterAndMeterSink& out, std::uint32_t&) {
        out.parameters.put("gain", 1.0);
        throw KtException("bad description", nullptr, 0);
    };
    std::uint32_t channels = 2;
    EXPECT_THROW(api.exchangeParameters(sink, channels), KtException);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(HuxPluginBinding, BypassParameterSetsBypassAfterDispatch)
{
    FakeParameter& bypass = host.add("bypa", 0);
    std::size_t lookupsAtBind = 0;
    start([&](TestPlugin&) { lookupsAtBind = host.lookups.size(); });
    EXPECT_EQ(lookupsAtBind, 1u); // bypass is bound before bindParameters runs
    for (const double value : {1.0, 0.0, 0.25, -1.0}) {
        bypass.current = value;
        report(bypass);
    }
    EXPECT_TRUE(plugin.bypassCalls.empty());
    api.dispatchParameterChanges();
    EXPECT_EQ(plugin.bypassCalls, std::vector<bool>{true}); // only the last report counts
    bypass.current = 0.0;
    report(bypass);
    api.dispatchParameterChanges();
    EXPECT_EQ(plugin.bypassCalls, (std::vector<bool>{true, false}));
}

TEST_F(HuxPluginBinding, UnknownCodesBindNothing)
{
    plugin.descriptor.put(HuxKeys::kEnableBypass, false);
    std::vector<int> results;
    start([&](TestPlugin& p) {
        results.push_back(p.addBinding(HuxFourCC("none"), &recordCall));
        results.push_back(p.addBinding(HuxFourCC("none"), &recordCall, {HuxFourCC("gain")}));
        results.push_back(p.addChangeBinding(HuxFourCC("none"), [](HuxParameter&) {}));
        results.push_back(p.addControllerBinding(HuxFourCC("none"), [](IIVX9Controller*, HuxParameter&) {}));
    });
    EXPECT_EQ(results, (std::vector<int>{-1, -1, -1, -1}));
    EXPECT_TRUE(plugin.bindings.empty());
}

TEST_F(HuxPluginBinding, BindsAtTheParameterIndex)
{
    plugin.descriptor.put(HuxKeys::kEnableBypass, false);
    host.add("dely", 5);
    host.add("gain", 2);
    std::vector<int> results;
    start([&](TestPlugin& p) {
        results.push_back(p.addBinding(HuxFourCC("dely"), &recordCall));
        results.push_back(p.addBinding(HuxFourCC("gain"), &recordCall));
    });
    EXPECT_EQ(results, (std::vector<int>{5, 2}));
    ASSERT_EQ(plugin.bindings.size(), 6u);
    EXPECT_EQ(plugin.bindings[5].handler, &recordCall);
    EXPECT_EQ(plugin.bindings[2].handler, &recordCall);
    EXPECT_EQ(plugin.bindings[0].handler, nullptr);
    EXPECT_EQ(host.lookups, (std::vector<std::pair<std::uint32_t, bool>>{
                                {HuxFourCC("dely"), true}, {HuxFourCC("gain"), true}}));
}

TEST_F(HuxPluginBinding, LinkedParametersAreLookedUpInOrderAndGivenToLink)
{
    plugin.descriptor.put(HuxKeys::kEnableBypass, false);
    FakeParameter& main = host.add("main", 1);
    FakeParameter& first = host.add("lnk1", 0);
    FakeParameter& second = host.add("lnk2", 3);
    start([](TestPlugin& p) {
        EXPECT_EQ(p.addBinding(HuxFourCC("main"), &recordCall,
                               {HuxFourCC("lnk2"), HuxFourCC("miss"), HuxFourCC("lnk1")}),
                  1);
        p.addBinding(HuxFourCC("lnk1"), &recordCall);
    });
    EXPECT_EQ(host.lookedUpCodes(), (std::vector<std::uint32_t>{HuxFourCC("main"), HuxFourCC("lnk2"),
                                                                HuxFourCC("miss"), HuxFourCC("lnk1"),
                                                                HuxFourCC("lnk1")}));
    api.linkParameter(main);
    EXPECT_EQ(main.links, (std::vector<HuxParameter*>{&second, nullptr, &first}));
    api.linkParameter(first);  // bound without linked parameters
    api.linkParameter(second); // beyond the bindings
    EXPECT_TRUE(first.links.empty());
    EXPECT_TRUE(second.links.empty());
}

TEST_F(HuxPluginDispatch, RunsPendingHandlersOnceInIndexOrder)
{
    plugin.descriptor.put(HuxKeys::kEnableBypass, false);
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
    report(late);
    report(unbound);
    report(early);
    report(late);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(plugin.bindings.size(), 5u);
    api.dispatchParameterChanges();
    EXPECT_EQ(log, (std::vector<std::string>{"early", "late"}));
    api.dispatchParameterChanges();
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(HuxPluginDispatch, ChangeReportedByAHandlerRunsInTheSameWalkWhenLater)
{
    plugin.descriptor.put(HuxKeys::kEnableBypass, false);
    FakeParameter& source = host.add("srce", 0);
    FakeParameter& follower = host.add("folw", 2);
    int followerRuns = 0;
    start([&](TestPlugin& p) {
        p.addChangeBinding(HuxFourCC("srce"), [&](HuxParameter&) {
            follower.setValue(3.0);
            api.parameterChanged(follower, false);
        });
        p.addChangeBinding(HuxFourCC("folw"), [&](HuxParameter&) { ++followerRuns; });
    });
    report(source);
    api.dispatchParameterChanges();
    EXPECT_EQ(followerRuns, 1);
}

TEST_F(HuxPluginDispatch, PlainHandlerGetsLinkedParametersOnlyWhenAsked)
{
    plugin.descriptor.put(HuxKeys::kEnableBypass, false);
    FakeParameter& main = host.add("main", 0);
    FakeParameter& first = host.add("lnk1", 1);
    FakeParameter& second = host.add("lnk2", 2);
    FakeParameter& solo = host.add("solo", 3);
    start([](TestPlugin& p) {
        p.addBinding(HuxFourCC("main"), &recordCall,
                     {HuxFourCC("lnk1"), HuxFourCC("miss"), HuxFourCC("lnk2")});
        p.addBinding(HuxFourCC("solo"), &recordCall, {HuxFourCC("lnk2")});
    });
    report(main, true);
    api.dispatchParameterChanges();
    report(main, false);
    report(solo, true);
    api.dispatchParameterChanges();
    ASSERT_EQ(plugin.calls.size(), 3u);
    EXPECT_EQ(plugin.calls[0].plugin, &plugin);
    EXPECT_EQ(plugin.calls[0].parameter, &main);
    EXPECT_EQ(plugin.calls[0].linked, (std::vector<HuxParameter*>{&first, nullptr, &second}));
    EXPECT_EQ(plugin.calls[1].linked, (std::vector<HuxParameter*>(3, nullptr)));
    EXPECT_EQ(plugin.calls[2].parameter, &solo);
    EXPECT_EQ(plugin.calls[2].linked, std::vector<HuxParameter*>{&second});
}

TEST_F(HuxPluginDispatch, FourLinkedParametersAreUnimplemented)
{
    plugin.descriptor.put(HuxKeys::kEnableBypass, false);
    FakeParameter& main = host.add("main", 0);
    start([](TestPlugin& p) {
        p.addBinding(HuxFourCC("main"), &recordCall,
                     {HuxFourCC("a___"), HuxFourCC("b___"), HuxFourCC("c___"), HuxFourCC("d___")});
    });
    report(main);
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
    plugin.descriptor.put(HuxKeys::kEnableBypass, false);
    FakeParameter& both = host.add("both", 0);
    FakeParameter& time = host.add("time", 1);
    int changeRuns = 0;
    start([&](TestPlugin& p) {
        p.addChangeBinding(HuxFourCC("both"), [&](HuxParameter&) { ++changeRuns; });
        p.addBinding(HuxFourCC("both"), &recordCall);
        p.addControllerBinding(HuxFourCC("time"), [&](IIVX9Controller* c, HuxParameter& q) {
            c->setDelayTime(q.value());
        });
    });
    time.current = 0.5;
    report(both);
    report(time);
    api.dispatchParameterChanges();
    EXPECT_EQ(plugin.calls.size(), 1u);
    EXPECT_EQ(changeRuns, 0);
    EXPECT_EQ(controller.delayTimes, std::vector<double>{0.5});

    plugin.addChangeBinding(HuxFourCC("time"), [&](HuxParameter&) { ++changeRuns; });
    report(time);
    api.dispatchParameterChanges();
    EXPECT_EQ(changeRuns, 1);
    EXPECT_EQ(controller.delayTimes.size(), 1u);
}

TEST_F(HuxPluginMessages, NamedMessageGoesToItsHandlerWithAnEmptyReply)
{
    plugin.onUnknown = [](const IIMissiveIn&) { return Missive(std::pair{"answer", 42.0}); };
    start([](TestPlugin& p) {
        p.addMessageHandler("ping", [](TestPlugin& q, const Missive& m) {
            q.handled.emplace_back("ping", bytesOf(m));
        });
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
    EXPECT_EQ(plugin.handled, (std::vector<std::pair<std::string, Bytes>>{{"pong", bytesOf(pong)}}));
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
    const Missive nameless(std::pair{"Name", "ping"});
    EXPECT_EQ(bytesOf(api.handleMessage(unknown)), bytesOf(answer));
    EXPECT_EQ(bytesOf(api.handleMessage(nameless)), bytesOf(answer));
    EXPECT_EQ(seen, (std::vector<Bytes>{bytesOf(unknown), bytesOf(nameless)}));
    EXPECT_TRUE(plugin.handled.empty());

    plugin.onUnknown = nullptr; // the base answers with an empty message
    EXPECT_TRUE(bytesOf(api.handleMessage(unknown)).empty());
}

TEST_F(HuxPluginState, SavesWhatWriteStateWrites)
{
    start();
    RecordingByteSink bytes;
    expectSuccess(api.saveState(bytes, false));
    ASSERT_EQ(bytes.stores.size(), 1u);
    EXPECT_TRUE(bytes.stores[0].empty());

    const Missive state(std::pair{"time", 0.25}, std::pair{"mode", "retro"});
    std::vector<bool> flags;
    plugin.onWrite = [&](IIMissiveOut& out, bool flag) {
        EXPECT_TRUE(bytesOf(out).empty());
        flags.push_back(flag);
        out.assign(state);
    };
    expectSuccess(api.saveState(bytes, true));
    ASSERT_EQ(bytes.stores.size(), 2u);
    EXPECT_EQ(bytes.stores[1], bytesOf(state));
    EXPECT_EQ(flags, std::vector<bool>{true});
}

TEST_F(HuxPluginState, RestoreHandsTheBytesToReadState)
{
    start();
    const Bytes garbage{0xff, 0x00, 0x13, 0x80};
    expectSuccess(api.restoreState(garbage.data(), garbage.size(), false)); // base ignores it

    const Missive state(std::pair{"time", 0.25});
    const Bytes saved = bytesOf(state);
    std::vector<std::pair<Bytes, bool>> seen;
    plugin.onRead = [&](const IIMissiveIn& in, bool flag) { seen.emplace_back(bytesOf(in), flag); };
    expectSuccess(api.restoreState(saved.data(), saved.size(), true));
    expectSuccess(api.restoreState(garbage.data(), garbage.size(), false));
    EXPECT_EQ(seen, (std::vector<std::pair<Bytes, bool>>{{saved, true}, {garbage, false}}));
}

} // namespace
