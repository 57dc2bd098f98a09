// The facts about the tape delay that the host keeps, held to the plug-in.
#include <gtest/gtest.h>

#include "host/product/dump.h"
#include "host/product/rates.h"
#include "host/product/tempo.h"
#include "missive/source/serialization/missivedump.h"

namespace {

TEST(HostFacts, TheSupportedRatesAreThoseThePluginStartsAt)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const auto starts = [&](double rate) {
        InstanceSettings settings;
        settings.sampleRate = rate;
        settings.sessionTempo = kDefaultSessionTempo;
        try {
            PluginInstance instance(library, settings);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    };
    EXPECT_TRUE(starts(kLowestRate));
    EXPECT_TRUE(starts(kHighestRate + 0.9)); // the integer part counts
    EXPECT_FALSE(starts(kLowestRate - 0.1));
    EXPECT_FALSE(starts(kHighestRate + 1.0));
}

// The host calls the dump by its slot in the plug-in's table, for the
// plug-in whose id it knows: what it prints is the message's own dump.
TEST(HostFacts, TheDumpTheHostCallsIsTheMessagesDump)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    HuxObject<IIHux::Plugin> plugin(library, "IIHux::Plugin");
    const PluginDescription description = ExchangeDescriptions(*plugin);
    ASSERT_TRUE(OffersDump(description, kTapeDelayDump));
    for (const Missive* message : {&description.descriptor, &description.parametersAndMeters}) {
        testing::internal::CaptureStdout();
        DumpThroughPlugin(*plugin, kTapeDelayDump, *message);
        const std::string throughPlugin = testing::internal::GetCapturedStdout();
        testing::internal::CaptureStdout();
        dump(*message, 1);
        EXPECT_EQ(throughPlugin, testing::internal::GetCapturedStdout());
        EXPECT_GT(throughPlugin.size(), message->size());
    }
}

} // namespace
