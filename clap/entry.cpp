// The module's entry: init loads the plug-in library from the module's own
// folder, the factory hands out the two plug-ins.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "clap/entry.h"
#include "clap/factory/plugin-factory.h"
#include "module.h"
#include "tapedelayclap.h"

namespace {

// init and deinit come in pairs, possibly more than one pair at a time and
// from any thread: the module lives while any init is unmatched.
std::mutex moduleLock;
int initCount = 0;
std::shared_ptr<ClapModule> module;

std::shared_ptr<ClapModule> LoadedModule()
{
    const std::lock_guard lock(moduleLock);
    return module;
}

bool Init(const char* pluginPath)
{
    const std::lock_guard lock(moduleLock);
    if (initCount > 0) {
        ++initCount;
        return true;
    }
    try {
        if (pluginPath == nullptr)
            throw std::invalid_argument("the host gave no module path");
        const std::filesystem::path library =
            std::filesystem::path(pluginPath).parent_path() / PluginLibrary::fileName();
        module = std::make_shared<ClapModule>(library.string());
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tapedelay.clap: %s\n", failure.what());
        return false;
    }
    initCount = 1;
    return true;
}

void Deinit()
{
    const std::lock_guard lock(moduleLock);
    if (initCount > 0 && --initCount == 0)
        module.reset();
}

std::uint32_t PluginCount(const clap_plugin_factory_t*)
{
    return LoadedModule() ? 2 : 0;
}

const clap_plugin_descriptor_t* PluginDescriptor(const clap_plugin_factory_t*, std::uint32_t index)
{
    const std::shared_ptr<ClapModule> loaded = LoadedModule();
    return loaded && index < loaded->descriptors.size() ? &loaded->descriptors[index] : nullptr;
}

const clap_plugin_t* CreatePlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                  const char* pluginId)
{
    std::shared_ptr<ClapModule> loaded = LoadedModule();
    if (!loaded || host == nullptr || pluginId == nullptr ||
        !clap_version_is_compatible(host->clap_version))
        return nullptr;
    const std::uint32_t channels = loaded->channelsOf(pluginId);
    if (channels == 0)
        return nullptr;
    return CreateTapeDelayPlugin(std::move(loaded), host, channels);
}

const clap_plugin_factory_t kFactory = {PluginCount, PluginDescriptor, CreatePlugin};

const void* Factory(const char* factoryId)
{
    return factoryId != nullptr && std::strcmp(factoryId, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory
                                                                                       : nullptr;
}

} // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION, Init, Deinit, Factory};
