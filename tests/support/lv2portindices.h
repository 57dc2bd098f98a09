// A plug-in's port indices by symbol, as lilv reads the built bundle's
// description files (link lilv).
#pragma once

#include <lilv/lilv.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

inline std::map<std::string, std::uint32_t> Lv2PortIndices(const char* pluginUri)
{
    std::unique_ptr<LilvWorld, decltype(&lilv_world_free)> world{lilv_world_new(), lilv_world_free};
    LilvNode* bundle =
        lilv_new_file_uri(world.get(), nullptr, (std::string(TAPEDELAY_LV2_BUNDLE) + "/").c_str());
    lilv_world_load_bundle(world.get(), bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(world.get(), pluginUri);
    const LilvPlugin* plugin =
        lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world.get()), uri);
    lilv_node_free(uri);
    std::map<std::string, std::uint32_t> indices;
    for (std::uint32_t i = 0; plugin != nullptr && i < lilv_plugin_get_num_ports(plugin); ++i)
        indices[lilv_node_as_string(
            lilv_port_get_symbol(plugin, lilv_plugin_get_port_by_index(plugin, i)))] = i;
    return indices;
}
