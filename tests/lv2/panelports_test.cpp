// The panel's port mapping held to the bundle's description files as lilv
// reads them: each parameter's values go to and come from the port with its
// symbol, in the mono and the stereo plug-in, the enabled port turned round
// into the bypass, the Tap port, the values the plug-in writes for display
// and the meters; anything else is refused, not crashed on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <utility>

#include "host/product/parametercodes.h"
#include "host/product/parameternames.h"
#include "host/runtime/pluginlibrary.h"
#include "lv2/panelports.h"
#include "tests/support/lv2portindices.h"

namespace {

using Kind = PanelUpdate::Kind;
using Fields = std::tuple<Kind, std::size_t, double>;

// An update's fields, compared at once.
Fields Of(const PanelUpdate& update)
{
    return {update.kind, update.index, update.value};
}

class PanelPortsTest : public ::testing::TestWithParam<BundlePlugin> {
protected:
    PanelPortsTest()
        : library(std::string(TAPEDELAY_LV2_BUNDLE) + "/" + PluginLibrary::fileName()),
          description(DescribeLibrary(library)),
          ports(description, GetParam().channels),
          indices(Lv2PortIndices(GetParam().uri))
    {}

    std::size_t indexOf(const char* code) const { return *description.find(code); }
    std::uint32_t portOf(const std::string& symbol) const { return indices.at(symbol); }

    PluginLibrary library;
    PluginDescription description;
    PanelPorts ports;
    std::map<std::string, std::uint32_t> indices;
};

TEST_P(PanelPortsTest, EachParameterMeetsThePortWithItsSymbol)
{
    ASSERT_FALSE(indices.empty());
    for (std::size_t i = 0; i < description.parameters.size(); ++i) {
        const ParameterInfo& parameter = description.parameters[i];
        SCOPED_TRACE(parameter.code);
        if (parameter.hostBypass)
            continue;
        const std::uint32_t port = portOf(ParameterSymbol(parameter));
        for (const double value :
             {parameter.minValue, parameter.defaultValue, parameter.maxValue}) {
            EXPECT_EQ(Of(ports.fromPort(port, static_cast<float>(value))),
                      Fields(Kind::value, i, value));
            const std::optional<PortWrite> write = ports.toPort(i, value);
            // The values the plug-in writes for display have no input port.
            ASSERT_EQ(write.has_value(), parameter.automate);
            if (write) {
                EXPECT_EQ(std::pair(write->port, write->value), std::pair(port, float(value)));
                EXPECT_EQ(ports.inputPort(i), port);
            }
        }
    }
    // A port value reads as the decimal the plug-in reads from it.
    EXPECT_EQ(ports.fromPort(portOf(kDelayTime), 0.3f).value, 0.3);
}

TEST_P(PanelPortsTest, TheEnabledPortIsTheBypassTurnedRound)
{
    const std::size_t bypass = indexOf(kHostBypassCode);
    const std::uint32_t enabled = portOf("enabled");
    EXPECT_EQ(ports.inputPort(bypass), enabled);
    for (const auto& [bypassed, portValue] : {std::pair{1.0, 0.0f}, std::pair{0.0, 1.0f}}) {
        const std::optional<PortWrite> write = ports.toPort(bypass, bypassed);
        ASSERT_TRUE(write);
        EXPECT_EQ(std::pair(write->port, write->value), std::pair(enabled, portValue));
        EXPECT_EQ(Of(ports.fromPort(enabled, portValue)), Fields(Kind::value, bypass, bypassed));
    }
}

TEST_P(PanelPortsTest, TapAndMetersHaveTheirPorts)
{
    EXPECT_EQ(ports.tapPort(), portOf("tap"));
    EXPECT_EQ(Of(ports.fromPort(portOf("in_peak"), 0.25f)), Fields(Kind::inputMeter, 0, 0.25));
    EXPECT_EQ(Of(ports.fromPort(portOf("out_peak"), 0.75f)), Fields(Kind::outputMeter, 0, 0.75));
    // A peak beyond full scale shows as full.
    EXPECT_EQ(ports.fromPort(portOf("out_peak"), 3.0f).value, 1.0);
    EXPECT_EQ(Of(ports.fromPort(portOf(kShownSessionTempo), 96.0f)),
              Fields(Kind::value, indexOf(kShownSessionTempo), 96.0));
}

TEST_P(PanelPortsTest, WhatNoPortTakesIsRefused)
{
    const std::uint32_t feedback = portOf(kFeedback);
    const ParameterInfo& parameter = description.parameters[indexOf(kFeedback)];
    // Ports the panel does not show, ports past the last, values that are no numbers.
    for (const char* symbol : {"in", "out", "in_l", "out_r", "tap", "control"}) {
        if (indices.contains(symbol)) {
            EXPECT_EQ(ports.fromPort(portOf(symbol), 1.0f).kind, Kind::none) << symbol;
        }
    }
    EXPECT_EQ(ports.fromPort(static_cast<std::uint32_t>(indices.size()), 1.0f).kind, Kind::none);
    EXPECT_EQ(ports.fromPort(~0u, 1.0f).kind, Kind::none);
    EXPECT_EQ(ports.fromPort(feedback, std::numeric_limits<float>::quiet_NaN()).kind, Kind::none);
    EXPECT_EQ(ports.fromPort(feedback, INFINITY).kind, Kind::none);
    EXPECT_FALSE(ports.toPort(description.parameters.size(), 1.0));
    EXPECT_FALSE(ports.toPort(indexOf(kFeedback), std::nan("")));
    EXPECT_FALSE(ports.inputPort(description.parameters.size()));
    // A host's value outside the range shows at the nearer end; the panel
    // writes none outside it.
    EXPECT_EQ(ports.fromPort(feedback, 1e9f).value, parameter.maxValue);
    EXPECT_EQ(ports.fromPort(feedback, -1e9f).value, parameter.minValue);
    EXPECT_EQ(ports.toPort(indexOf(kFeedback), 1e9)->value, static_cast<float>(parameter.maxValue));
}

INSTANTIATE_TEST_SUITE_P(BothPlugins, PanelPortsTest, ::testing::ValuesIn(kBundlePlugins),
                         [](const ::testing::TestParamInfo<BundlePlugin>& info) {
                             return info.param.channels == 1 ? "Mono" : "Stereo";
                         });

} // namespace
