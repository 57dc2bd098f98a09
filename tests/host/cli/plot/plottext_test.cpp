// The plot's words: the delay described from the plug-in's own description
// (counts and their plurals: ThePlotShowsEachPresetsWholeTrain).
#include <gtest/gtest.h>

#include "host/cli/plot/plottext.h"
#include "host/product/parametercodes.h"

namespace {

struct DelayTexts : ::testing::Test {
    PluginLibrary library{TAPEDELAY_PLUGIN_FILE};
    PluginDescription description = DescribeLibrary(library);
    std::vector<double> values;

    DelayTexts()
    {
        for (const ParameterInfo& parameter : description.parameters)
            values.push_back(parameter.defaultValue);
    }
    void set(const char* code, double value) { values[*description.find(code)] = value; }
    std::string text() const { return DelayText(description, values); }
};

TEST_F(DelayTexts, AFreeDelayNamesItsTempoOnlyWithinTheRangeOfBpm)
{
    set(kDelayTime, 0.5);
    EXPECT_EQ(text(), "delay 0.500 s (a quarter note at 120.0 BPM)");
    set(kDelayTime, 2.0);
    EXPECT_EQ(text(), "delay 2.000 s (a quarter note at 30.0 BPM)");
    set(kDelayTime, 0.11); // 545.5 BPM, beyond what BPM can be set to
    EXPECT_EQ(text(), "delay 0.110 s");
    // The range is the one the plug-in describes.
    description.parameters[*description.find(kTempo)].maxValue = 600.0;
    EXPECT_EQ(text(), "delay 0.110 s (a quarter note at 545.5 BPM)");
    description.parameters[*description.find(kTempo)].minValue = 40.0;
    set(kDelayTime, 2.0);
    EXPECT_EQ(text(), "delay 2.000 s");
}

TEST_F(DelayTexts, ANoteNamesItsTempoAndWhereItComesFrom)
{
    set(kNoteValue, 4.0); // Quarter
    set(kDottedTriplet, 1.0);
    set(kTempo, 100.0);
    set(kShownTempoDelay, 0.9);
    EXPECT_EQ(text(), "delay 0.900 s: dotted quarter at 100 BPM");
    set(kTempoLock, 1.0);
    set(kShownSessionTempo, 90.0);
    set(kShownTempoDelay, 1.0);
    EXPECT_EQ(text(), "delay 1.000 s: dotted quarter at 90 BPM (session tempo)");
}

} // namespace
