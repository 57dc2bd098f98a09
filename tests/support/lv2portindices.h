// The built bundle as lilv reads its description files (link lilv): one of
// its plug-ins, and a plug-in's port indices by symbol.
#pragma once

#include <lilv/lilv.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

// The bundle loaded into `world`, and the plug-in of that URI in it (null
// when there is none).
inline const LilvPlugin* LoadBundlePlugin(LilvWorld* world, const char* pluginUri)
{
    LilvNode* bundle =
        lilv_new_file_uri(world, nullptr, (std::string(TAPEDELAY_LV2_BUNDLE) + "/").c_str());
    lilv_world_load_bundle(world, bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(world, pluginUri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    lilv_node_free(uri);
    return plugin;
}

inline std::map<std::string, std::uint32_t> Lv2PortIndices(const char* pluginUri)
{
    std::unique_ptr<LilvWorld, decltype(&lilv_world_free)> world{lilv_world_new(), lilv_world_free};
    const LilvPlugin* plugin = LoadBundlePlugin(world.get(), pluginUri);
    std::map<std::string, std::uint32_t> indices;
    for (std::uint32_t i = 0; plugin != nullptr && i < lilv_plugin_get_num_ports(plugin); ++i)
        indices[lilv_node_as_string(
            lilv_port_get_symbol(plugin, lilv_plugin_get_port_by_index(plugin, i)))] = i;
    return indices;
}
