// A session saved and reopened as lilv-based hosts do it: lilv saves the
// instance's state with the host's port values into a state folder, and
// both lilv and jalv (-l) reopen it with the delay the plug-in ran with,
// not the one the host's stale port values would give.
#include <gtest/gtest.h>

#include <lilv/lilv.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lv2/bundleports.h"
#include "tests/support/hostrun.h"
#include "tests/support/lv2portindices.h"
#include "tests/support/lv2rig.h"
#include "tests/support/scratchdirectory.h"

namespace {

constexpr double kRate = 48000.0;
constexpr std::uint32_t kRun = 4800;

// An instance as a lilv host holds it: a value per port, set by symbol.
class LilvHost {
public:
    LilvHost(LilvWorld* world, const LilvPlugin* plugin, Lv2Host& lv2)
        : plugin(plugin),
          lv2(lv2),
          features(lv2.features(true)),
          instance(lilv_plugin_instantiate(plugin, kRate, features.data())),
          values(lilv_plugin_get_num_ports(plugin), 0.0f),
          audio(kRun, 0.0f)
    {
        if (instance == nullptr)
            throw std::runtime_error("lilv could not instantiate the plug-in");
        lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, values.data());
        for (std::uint32_t i = 0; i < values.size(); ++i) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
            LilvNode* audioClass = lilv_new_uri(world, LV2_CORE__AudioPort);
            void* data = lilv_port_is_a(plugin, port, audioClass) ? static_cast<void*>(audio.data())
                                                                  : &values[i];
            lilv_node_free(audioClass);
            lilv_instance_connect_port(instance, i, data);
            indices[lilv_node_as_string(lilv_port_get_symbol(plugin, port))] = i;
        }
        lilv_instance_activate(instance);
    }
    ~LilvHost()
    {
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    LilvHost(const LilvHost&) = delete;
    LilvHost& operator=(const LilvHost&) = delete;

    float& value(const std::string& symbol) { return values[indices.at(symbol)]; }
    void run() { lilv_instance_run(instance, kRun); }

    // The state with the input ports' values, into folder.
    LilvState* save(const std::string& folder)
    {
        return lilv_state_new_from_instance(plugin, instance, lv2.uridMap(), nullptr, nullptr,
                                            nullptr, folder.c_str(), portValue, this, 0,
                                            features.data());
    }
    void restore(const LilvState* state)
    {
        lilv_state_restore(state, instance, setPortValue, this, 0, features.data());
    }

private:
    static const void* portValue(const char* symbol, void* self, std::uint32_t* size,
                                 std::uint32_t* type)
    {
        auto& host = *static_cast<LilvHost*>(self);
        *size = sizeof(float);
        *type = host.lv2.urid(LV2_ATOM__Float);
        return &host.value(symbol);
    }
    static void setPortValue(const char* symbol, void* self, const void* value, std::uint32_t size,
                             std::uint32_t)
    {
        if (size == sizeof(float))
            std::memcpy(&static_cast<LilvHost*>(self)->value(symbol), value, sizeof(float));
    }

    const LilvPlugin* plugin;
    Lv2Host& lv2;
    std::vector<const LV2_Feature*> features;
    LilvInstance* instance;
    std::vector<float> values;
    std::vector<float> audio;
    std::map<std::string, std::uint32_t> indices; // by symbol
};

class SavedSession : public ScratchDirectory {
protected:
    // Delay Time 0.3 s, then an 8th: the plug-in sets 100 BPM; the host's
    // ports hold 0.3 s, the 8th and their own 120 BPM. Saved into folder.
    void saveSession(const std::string& folder)
    {
        LilvHost host(world.get(), plugin, lv2);
        host.value("time") = 0.3f;
        host.run();
        host.value("nval") = 3.0f;
        host.run();
        ASSERT_EQ(host.value("uiDT"), 0.3f);
        LilvState* state = host.save(folder);
        ASSERT_NE(state, nullptr);
        EXPECT_EQ(lilv_state_save(world.get(), lv2.uridMap(), lv2.uridUnmap(), state, nullptr,
                                  folder.c_str(), "state.ttl"),
                  0);
        lilv_state_free(state);
    }

    std::unique_ptr<LilvWorld, decltype(&lilv_world_free)> world{lilv_world_new(), lilv_world_free};
    const LilvPlugin* plugin = LoadBundlePlugin(world.get(), kPluginUri);
    Lv2Host lv2;
};

TEST_F(SavedSession, LilvReopensItWithTheDelayThePluginRan)
{
    ASSERT_NE(plugin, nullptr);
    const std::string folder = path("session");
    saveSession(folder);
    EXPECT_NE(readText(folder + "/state.ttl").find("urn:orlund:vx9:tapedelay#state"),
              std::string::npos);

    LilvState* state = lilv_state_new_from_file(world.get(), lv2.uridMap(), nullptr,
                                                (folder + "/state.ttl").c_str());
    ASSERT_NE(state, nullptr);
    LilvHost host(world.get(), plugin, lv2);
    host.restore(state);
    lilv_state_free(state);
    EXPECT_EQ(host.value("bpm"), 120.0f); // the host's own copy
    host.run();
    EXPECT_EQ(host.value("uiDT"), 0.3f);
}

// jalv loads the folder (-l) and, asked on its console, prints the output
// ports' values.
TEST_F(SavedSession, JalvReopensItWithTheDelayThePluginRan)
{
    ASSERT_NE(plugin, nullptr);
    const std::string folder = path("session");
    saveSession(folder);
    const JackServer jack;
    ASSERT_TRUE(jack.running()) << "the JACK server did not start";
    setenv("LV2_PATH", std::filesystem::path(TAPEDELAY_LV2_BUNDLE).parent_path().c_str(), 1);
    // Asked three times: a loaded machine may take a while to start it.
    const Outcome jalv = Shell("(for i in 1 2 3; do sleep 1; echo monitors; done; sleep 0.5) | " +
                               jack.environment() + " timeout -s INT 8 jalv -l " + folder);
    const std::size_t shown = jalv.output.rfind("uiDT = ");
    ASSERT_NE(shown, std::string::npos) << jalv.output;
    EXPECT_EQ(std::stod(jalv.output.substr(shown + 7)), 0.3) << jalv.output;
}

} // namespace
