// The host's parameters as it builds them from the plug-in's own messages
// (dials' ranges and the meters as a user sees them: describe, command_test
// and scripting_test).
#include <gtest/gtest.h>

#include "host/runtime/hosterrors.h"
#include "host/runtime/plugindescription.h"
#include "tests/host/refusal.h"
#include "tests/support/idlecontroller.h"

namespace {

TEST(PluginDescription, TheLibrarysParametersInRecordOrderWithTheHostsBypassLast)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const PluginDescription description = DescribeLibrary(library);
    std::string codes;
    for (const ParameterInfo& parameter : description.parameters)
        codes += parameter.code + " ";
    EXPECT_EQ(codes, "tlok nval time .bpm fbak inpt oput blnd tone mode dot3 sBPM uiDT bypa ");

    // A list's range is its option indices ("Retro" is Mode's default).
    const ParameterInfo& mode = description.parameters[9];
    EXPECT_EQ(mode.kind, ParameterKind::list);
    EXPECT_EQ(mode.defaultValue, 1.0);
    EXPECT_EQ(mode.maxValue, 2.0);
    EXPECT_FALSE(description.parameters[12].automate);
    EXPECT_TRUE(description.parameters[13].hostBypass);
}

// A plug-in whose parameter message is whatever the test wrote.
struct HandWrittenPlugin final : HuxPlugin<HandWrittenPlugin, IIVX9Controller> {
    Missive describePlugin() override
    {
        Missive descriptor;
        descriptor.put(HuxKeys::kEnableBypass, false);
        return descriptor;
    }
    void describeParameters(ParameterAndMeterSink& sink, std::uint32_t&) override
    {
        if (refuse)
            KtFail("throw", "product/source/plugin", 79, "too many channels");
        sink.parameters = parameters;
    }
    bool refuse = false;
    void bindParameters() override {}
    Missive parameters;
};

Missive Parameter(const char* type, std::vector<std::string> options = {})
{
    Missive record;
    record.put(HuxKeys::kLabels, std::vector<std::string>{"Name"});
    if (std::string(type) == "list") {
        record.put(HuxKeys::kType, c_hux::parameterType::list);
        record.put(HuxKeys::kOptions, options);
    } else {
        record.put(HuxKeys::kType, c_hux::parameterType::continuous);
        record.put(HuxKeys::kMinValue, 0.0);
        record.put(HuxKeys::kMaxValue, 1.0);
    }
    return record;
}

TEST(PluginDescription, MalformedDescriptionsAreRefusedByName)
{
    const auto refusal = [](const Missive& parameters) {
        HandWrittenPlugin plugin;
        plugin.parameters = parameters;
        return Refusal<PluginContractError>([&] { ExchangeDescriptions(plugin); });
    };
    for (const auto& [parameters, why] : std::vector<std::pair<Missive, const char*>>{
             {Missive(std::pair{"abcd", Parameter("numeric")}), "abcd lacks a finite defaultValue"},
             {Missive(std::pair{"abcd", Parameter("list")}), "no options"},
             {Missive(std::pair{"abcde", Parameter("list", {"a"})}), "not four characters"},
             {Missive(std::pair{"abcd", Parameter("list", {"a"})},
                      std::pair{"abcd", Parameter("list", {"b"})}),
              "described twice"},
             {Missive(std::pair{"abcd", 3.0}), "not a record"},
         })
        EXPECT_NE(refusal(parameters).find(why), std::string::npos) << why;

    // The plug-in's own failure keeps its message and location.
    HandWrittenPlugin refusing;
    refusing.refuse = true;
    testing::internal::CaptureStdout(); // the plug-in prints its failure report
    EXPECT_EQ(Refusal<PluginContractError>([&] { ExchangeDescriptions(refusing); }),
              "the parameter exchange failed: too many channels (product/source/plugin:79)");
    testing::internal::GetCapturedStdout();

    // Without "enableBypass" the host adds no bypass of its own.
    HandWrittenPlugin plugin;
    plugin.parameters.put("abcd", Parameter("list", {"a", "b"}));
    const PluginDescription description = ExchangeDescriptions(plugin);
    ASSERT_EQ(description.parameters.size(), 1u);
    EXPECT_EQ(description.parameters[0].maxValue, 1.0);
}

} // namespace
