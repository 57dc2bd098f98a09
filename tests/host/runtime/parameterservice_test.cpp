// The host's parameter rules against a small plug-in built on the framework
// base: which walk handles a value the plug-in sets, and when.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/runtime/parameterservice.h"
#include "tests/support/idlecontroller.h"

namespace {

ParameterInfo numeric(const char* code)
{
    ParameterInfo info;
    info.code = code;
    info.identifier = FourCharacterCode(code);
    info.maxValue = 100.0;
    return info;
}

// Three parameters, indices 0 to 2. Each handler logs its name and value and
// runs whatever the test scripted for it.
struct ScriptedPlugin final : HuxPlugin<ScriptedPlugin, IIVX9Controller> {
    Missive describePlugin() override { return {}; }
    void bindParameters() override
    {
        for (const char* code : {"aaaa", "bbbb", "cccc"}) {
            addBinding(FourCharacterCode(code), &handle);
            objects.push_back(parameterHost->lookup(FourCharacterCode(code), nullptr));
        }
    }
    void dispatchParameterChanges() override
    {
        ++walks;
        HuxPlugin::dispatchParameterChanges();
    }
    static void handle(ScriptedPlugin& plugin, HuxParameter& parameter,
                       std::span<HuxParameter* const>)
    {
        const std::uint32_t index = parameter.index();
        plugin.log.push_back(std::string(1, static_cast<char>('a' + index)) + "=" +
                             std::to_string(static_cast<int>(parameter.value())));
        if (plugin.script[index])
            plugin.script[index](plugin);
    }
    void set(std::uint32_t index, double value)
    {
        log.push_back("set " + std::string(1, static_cast<char>('a' + index)));
        objects[index]->setValue(value);
    }

    std::vector<HuxParameter*> objects;
    std::function<void(ScriptedPlugin&)> script[3];
    std::vector<std::string> log;
    int walks = 0;
};

struct ParameterServiceTest : ::testing::Test {
    ParameterServiceTest() : service(infos)
    {
        service.attach(plugin);
        plugin.initialise(&service, &controller, nullptr);
    }
    std::vector<ParameterInfo> infos{numeric("aaaa"), numeric("bbbb"), numeric("cccc")};
    ParameterService service;
    IdleController controller;
    ScriptedPlugin plugin;
};

using Log = std::vector<std::string>;

TEST_F(ParameterServiceTest, OutsideAWalkEachSetValueIsHandledBeforeTheNext)
{
    plugin.set(2, 5.0);
    plugin.set(0, 7.0);
    EXPECT_EQ(plugin.log, (Log{"set c", "c=5", "set a", "a=7"}));
    EXPECT_EQ(plugin.walks, 2);
    // An unchanged value is stored but neither reported nor handled.
    plugin.set(0, 7.0);
    EXPECT_EQ(plugin.walks, 2);
}

TEST_F(ParameterServiceTest, InsideAWalkHigherIndicesJoinItAndLowerOnesFollow)
{
    plugin.script[1] = [](ScriptedPlugin& p) {
        p.set(0, 1.0);
        p.set(2, 3.0);
    };
    service.change(1, 9.0);
    service.dispatch();
    // c is ahead of b, so the running walk handles it; a waits for the next.
    EXPECT_EQ(plugin.log, (Log{"b=9", "set a", "set c", "c=3", "a=1"}));
    EXPECT_EQ(service.value(0), 1.0);
    EXPECT_GE(plugin.walks, 2);
}

TEST_F(ParameterServiceTest, ACycleStopsAfterSixteenWalks)
{
    plugin.script[0] = [](ScriptedPlugin& p) { p.set(1, p.objects[1]->value() + 1.0); };
    plugin.script[1] = [](ScriptedPlugin& p) { p.set(0, p.objects[0]->value() + 1.0); };
    service.change(1, 0.0);
    service.dispatch();
    EXPECT_EQ(plugin.walks, ParameterService::kMaxWalks);
}

TEST_F(ParameterServiceTest, AUsersSetIsHandledAtOnceWithThePluginsFollowUps)
{
    plugin.script[2] = [](ScriptedPlugin& p) { p.set(0, 4.0); };
    service.set(2, 8.0);
    // a lies behind c, so a second walk handles it before set returns.
    EXPECT_EQ(plugin.log, (Log{"c=8", "set a", "a=4"}));
    EXPECT_EQ(plugin.walks, 2);
    service.set(2, 8.0); // unchanged: nothing to handle
    EXPECT_EQ(plugin.walks, 2);
}

TEST_F(ParameterServiceTest, DiscardedWritesAreNeitherStoredNorHandled)
{
    service.discardPluginWrites(true);
    plugin.set(2, 6.0);
    EXPECT_EQ(service.value(2), 0.0);
    EXPECT_EQ(plugin.walks, 0);
    // User changes are stored and wait for the next dispatch.
    service.change(0, 2.0);
    EXPECT_EQ(plugin.log, (Log{"set c"}));
    service.dispatch();
    EXPECT_EQ(plugin.log.back(), "a=2");
}

} // namespace
