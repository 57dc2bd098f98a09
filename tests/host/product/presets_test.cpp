// The built-in presets against the real library's parameters (found by label
// or name in any case: command_test and scripting_test, end to end).
#include <gtest/gtest.h>

#include "host/product/presets.h"
#include "host/runtime/values/parametervalue.h"

namespace {

struct PresetTable : ::testing::Test {
    PluginLibrary library{TAPEDELAY_PLUGIN_FILE};
    const PluginDescription description = DescribeLibrary(library);
};

TEST_F(PresetTable, EachSetsOnlyUserParametersAwayFromTheirDefaultsInHostOrder)
{
    for (const Preset& preset : Presets()) {
        const std::vector<std::pair<std::size_t, double>> values =
            PresetValues(preset, description);
        EXPECT_EQ(values.size(), preset.values.size()) << preset.label;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const ParameterInfo& parameter = description.parameters[values[i].first];
            EXPECT_TRUE(parameter.automate && !parameter.hostBypass)
                << preset.label << " " << parameter.code;
            EXPECT_NE(values[i].second, parameter.defaultValue)
                << preset.label << " " << parameter.code;
            EXPECT_TRUE(i == 0 || values[i - 1].first < values[i].first) << preset.label;
        }
    }
}

TEST_F(PresetTable, ValuesThePluginCannotTakeAreRefused)
{
    for (const PresetValue& value :
         std::vector<PresetValue>{{"wobl", "1"}, {"uiDT", "1"}, {"fbak", "12"}, {"mode", "Future"}})
        EXPECT_THROW(PresetValues({"Test", "test", "", {value}}, description), ParameterValueError)
            << value.code << "=" << value.text;
}

} // namespace
