// The built bundle as lilv reads it, held to the plug-in's own descriptions:
// every parameter has its port with its name, range, default, unit and
// options, and every preset carries the values the command renders with.
#include <gtest/gtest.h>

#include <lilv/lilv.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "host/product/parameternames.h"
#include "host/product/presets.h"
#include "host/runtime/pluginlibrary.h"
#include "host/runtime/values/parametervalue.h"
#include "lv2/bundleports.h"
#include "tests/support/lv2portindices.h"

namespace {

const std::string kLv2 = "http://lv2plug.in/ns/lv2core#";
const std::string kExtensions = "http://lv2plug.in/ns/ext";

class BundleTest : public ::testing::Test {
protected:
    BundleTest()
    {
        PluginLibrary library(std::string(TAPEDELAY_LV2_BUNDLE) + "/" + PluginLibrary::fileName());
        description = DescribeLibrary(library);
        plugin = LoadBundlePlugin(world.get(), kPluginUri);
    }
    ~BundleTest() override
    {
        for (LilvNode* n : nodes)
            lilv_node_free(n);
    }

    // Freed with the test.
    LilvNode* node(LilvNode* n)
    {
        nodes.push_back(n);
        return n;
    }
    LilvNode* uri(const std::string& text) { return node(lilv_new_uri(world.get(), text.c_str())); }

    const LilvPort* port(const std::string& symbol)
    {
        return lilv_plugin_get_port_by_symbol(plugin,
                                              node(lilv_new_string(world.get(), symbol.c_str())));
    }
    bool has(const LilvPort* p, const std::string& property)
    {
        return lilv_port_has_property(plugin, p, uri(kLv2 + property));
    }
    bool is(const LilvPort* p, const std::string& type)
    {
        return lilv_port_is_a(plugin, p, uri(kLv2 + type));
    }
    std::string text(const LilvNode* n) { return n != nullptr ? lilv_node_as_string(n) : ""; }

    std::unique_ptr<LilvWorld, decltype(&lilv_world_free)> world{lilv_world_new(), lilv_world_free};
    const LilvPlugin* plugin = nullptr;
    PluginDescription description;
    std::vector<LilvNode*> nodes;
};

TEST_F(BundleTest, EveryParameterHasItsPort)
{
    ASSERT_NE(plugin, nullptr);
    std::uint32_t lastIndex = 0;
    for (const ParameterInfo& parameter : description.parameters) {
        SCOPED_TRACE(parameter.code);
        const bool hostBypass = parameter.hostBypass;
        const LilvPort* p = port(hostBypass ? "enabled" : PortSymbol(parameter.code));
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(is(p, "ControlPort"));
        if (hostBypass) {
            EXPECT_TRUE(has(p, "toggled"));
            EXPECT_EQ(text(node(lilv_port_get(plugin, p, uri(kLv2 + "designation")))),
                      kLv2 + "enabled");
            continue;
        }
        // Inputs in host order, then the values the plug-in writes, as outputs.
        EXPECT_EQ(is(p, "InputPort"), parameter.automate);
        EXPECT_EQ(is(p, "OutputPort"), !parameter.automate);
        if (parameter.automate) {
            EXPECT_GT(lilv_port_get_index(plugin, p), lastIndex);
            lastIndex = lilv_port_get_index(plugin, p);
        }
        EXPECT_EQ(text(node(lilv_port_get_name(plugin, p))), parameter.name());
        LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
        lilv_port_get_range(plugin, p, &def, &min, &max);
        node(def), node(min), node(max);
        EXPECT_EQ(lilv_node_as_float(def), static_cast<float>(parameter.defaultValue));
        EXPECT_EQ(lilv_node_as_float(min), static_cast<float>(parameter.minValue));
        EXPECT_EQ(lilv_node_as_float(max), static_cast<float>(parameter.maxValue));

        // Tempos in BPM and delays in seconds, also where the plug-in shows them.
        const std::string units = "http://lv2plug.in/ns/extensions/units#";
        const std::map<std::string, std::string> unitOf = {
            {"time", "s"}, {".bpm", "bpm"}, {"sBPM", "bpm"}, {"uiDT", "s"}};
        const auto unit = unitOf.find(parameter.code);
        EXPECT_EQ(text(node(lilv_port_get(plugin, p, uri(units + "unit")))),
                  unit == unitOf.end() ? "" : units + unit->second);
        EXPECT_EQ(lilv_port_has_property(plugin, p, uri(kExtensions + "/port-props#logarithmic")),
                  parameter.code == "time");

        std::map<int, std::string> points;
        if (LilvScalePoints* scale = lilv_port_get_scale_points(plugin, p)) {
            LILV_FOREACH(scale_points, i, scale)
            {
                const LilvScalePoint* point = lilv_scale_points_get(scale, i);
                points[lilv_node_as_int(lilv_scale_point_get_value(point))] =
                    text(lilv_scale_point_get_label(point));
            }
            lilv_scale_points_free(scale);
        }
        if (parameter.options == std::vector<std::string>{"off", "on"}) {
            EXPECT_TRUE(has(p, "toggled"));
            continue;
        }
        std::map<int, std::string> expected;
        for (std::size_t i = 0; i < parameter.options.size(); ++i)
            expected[static_cast<int>(i)] = std::string(OptionForms(parameter.options[i]).front());
        EXPECT_EQ(points, expected);
        EXPECT_EQ(has(p, "enumeration"), parameter.kind == ParameterKind::list);
    }
}

TEST_F(BundleTest, EveryPresetCarriesItsValues)
{
    ASSERT_NE(plugin, nullptr);
    LilvNodes* related = lilv_plugin_get_related(plugin, uri(kExtensions + "/presets#Preset"));
    std::map<std::string, std::map<std::string, float>> found; // label: symbol -> value
    LILV_FOREACH(nodes, i, related)
    {
        const LilvNode* preset = lilv_nodes_get(related, i);
        lilv_world_load_resource(world.get(), preset);
        LilvNode* label = node(lilv_world_get(
            world.get(), preset, uri("http://www.w3.org/2000/01/rdf-schema#label"), nullptr));
        LilvNodes* ports = lilv_world_find_nodes(world.get(), preset, uri(kLv2 + "port"), nullptr);
        LILV_FOREACH(nodes, j, ports)
        {
            const LilvNode* entry = lilv_nodes_get(ports, j);
            const auto get = [&](const std::string& property) {
                return node(lilv_world_get(world.get(), entry, uri(property), nullptr));
            };
            found[text(label)][text(get(kLv2 + "symbol"))] =
                lilv_node_as_float(get(kExtensions + "/presets#value"));
        }
        lilv_nodes_free(ports);
    }
    lilv_nodes_free(related);

    ASSERT_EQ(found.size(), Presets().size());
    for (const Preset& preset : Presets()) {
        SCOPED_TRACE(preset.label);
        std::map<std::string, float> expected;
        for (const ParameterInfo& parameter : description.parameters)
            if (parameter.automate && !parameter.hostBypass)
                expected[PortSymbol(parameter.code)] = static_cast<float>(parameter.defaultValue);
        for (const auto& [index, value] : PresetValues(preset, description))
            expected[PortSymbol(description.parameters[index].code)] = static_cast<float>(value);
        EXPECT_EQ(found[preset.label], expected);
    }
}

// The stereo plug-in: two audio channels, then the mono one's ports; both
// offer the state interface and the presets.
TEST_F(BundleTest, TheStereoPluginIsTheMonoOneWithTwoChannels)
{
    const LilvPlugin* stereo =
        lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world.get()), uri(kStereoPluginUri));
    ASSERT_NE(plugin, nullptr);
    ASSERT_NE(stereo, nullptr);
    const std::uint32_t ports = lilv_plugin_get_num_ports(plugin);
    ASSERT_EQ(lilv_plugin_get_num_ports(stereo), ports + 2);
    const char* audio[] = {"in_l", "in_r", "out_l", "out_r"};
    for (std::uint32_t i = 0; i < 4; ++i) {
        const LilvPort* p = lilv_plugin_get_port_by_index(stereo, i);
        EXPECT_EQ(text(lilv_port_get_symbol(stereo, p)), audio[i]);
        EXPECT_TRUE(lilv_port_is_a(stereo, p, uri(kLv2 + "AudioPort")));
        EXPECT_TRUE(lilv_port_is_a(stereo, p, uri(kLv2 + (i < 2 ? "InputPort" : "OutputPort"))));
    }
    for (std::uint32_t i = 2; i < ports; ++i)
        EXPECT_EQ(text(lilv_port_get_symbol(stereo, lilv_plugin_get_port_by_index(stereo, i + 2))),
                  text(lilv_port_get_symbol(plugin, lilv_plugin_get_port_by_index(plugin, i))));
    for (const LilvPlugin* each : {plugin, stereo}) {
        EXPECT_TRUE(lilv_plugin_has_extension_data(each, uri(kExtensions + "/state#interface")));
        LilvNodes* presets = lilv_plugin_get_related(each, uri(kExtensions + "/presets#Preset"));
        EXPECT_EQ(lilv_nodes_size(presets), Presets().size());
        lilv_nodes_free(presets);
    }
}

// Each plug-in's panel: an X11 UI in the bundle's UI module that needs the
// host's window and idle calls, told of every output control port.
TEST_F(BundleTest, EachPluginHasItsPanel)
{
    const std::string ui = "http://lv2plug.in/ns/extensions/ui#";
    for (const BundlePlugin& bundlePlugin : kBundlePlugins) {
        SCOPED_TRACE(bundlePlugin.uri);
        const LilvPlugin* each =
            lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world.get()), uri(bundlePlugin.uri));
        ASSERT_NE(each, nullptr);
        LilvUIs* uis = lilv_plugin_get_uis(each);
        ASSERT_EQ(lilv_uis_size(uis), 1u);
        const LilvUI* panel = lilv_uis_get_by_uri(uis, uri(bundlePlugin.ui));
        ASSERT_NE(panel, nullptr);
        EXPECT_TRUE(lilv_ui_is_a(panel, uri(ui + "X11UI")));
        char* binary =
            lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(panel)), nullptr);
        EXPECT_EQ(std::string(binary), std::string(TAPEDELAY_LV2_BUNDLE) + "/tapedelay_ui.so");
        EXPECT_TRUE(std::filesystem::exists(binary));
        lilv_free(binary);

        const LilvNode* subject = lilv_ui_get_uri(panel);
        const auto objects = [&](const std::string& property) {
            std::set<std::string> found;
            LilvNodes* nodes = lilv_world_find_nodes(world.get(), subject, uri(property), nullptr);
            LILV_FOREACH(nodes, i, nodes)
            {
                found.insert(text(lilv_nodes_get(nodes, i)));
            }
            lilv_nodes_free(nodes);
            return found;
        };
        EXPECT_EQ(objects(kLv2 + "requiredFeature"),
                  (std::set<std::string>{ui + "idleInterface", ui + "parent"}));
        EXPECT_TRUE(objects(kLv2 + "extensionData").contains(ui + "idleInterface"));

        std::set<std::string> notified;
        LilvNodes* notifications =
            lilv_world_find_nodes(world.get(), subject, uri(ui + "portNotification"), nullptr);
        LILV_FOREACH(nodes, i, notifications)
        {
            const LilvNode* notification = lilv_nodes_get(notifications, i);
            EXPECT_EQ(
                text(node(lilv_world_get(world.get(), notification, uri(ui + "plugin"), nullptr))),
                bundlePlugin.uri);
            notified.insert(text(
                node(lilv_world_get(world.get(), notification, uri(kLv2 + "symbol"), nullptr))));
        }
        lilv_nodes_free(notifications);
        std::set<std::string> outputs;
        for (std::uint32_t i = 0; i < lilv_plugin_get_num_ports(each); ++i) {
            const LilvPort* p = lilv_plugin_get_port_by_index(each, i);
            if (lilv_port_is_a(each, p, uri(kLv2 + "ControlPort")) &&
                lilv_port_is_a(each, p, uri(kLv2 + "OutputPort")))
                outputs.insert(text(lilv_port_get_symbol(each, p)));
        }
        EXPECT_EQ(notified, outputs);
        lilv_uis_free(uis);
    }
    // The panel's font lies beside it.
    EXPECT_TRUE(std::filesystem::exists(std::string(TAPEDELAY_LV2_BUNDLE) + "/DejaVuSans.ttf"));
}

} // namespace
