// The bundle's shared object: the LV2 entry points of the mono and the
// stereo plug-in, each handing over to an Lv2Instance, and the state
// interface. The plug-in library is loaded from the bundle's own folder.
#include <cstring>
#include <exception>
#include <new>
#include <span>
#include <string>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include "host/product/rates.h"
#include "lv2instance.h"

namespace {

// The state's properties, each bytes in the core's state format as an
// atom:Chunk: the parameters' values, and the control ports' values the
// plug-in had seen.
constexpr const char* kStateKey = "urn:orlund:vx9:tapedelay#state";
constexpr const char* kPortsKey = "urn:orlund:vx9:tapedelay#ports";

// What an instance needs beside itself: the host's features, for the state
// and the log.
struct Handle {
    HostFeatures host;
    Lv2Instance instance;
};

Lv2Instance& instanceOf(LV2_Handle handle)
{
    return static_cast<Handle*>(handle)->instance;
}

LV2_Handle instantiate(const LV2_Descriptor* descriptor, double sampleRate, const char* bundlePath,
                       const LV2_Feature* const* features)
{
    const HostFeatures host = HostFeatures::Read(features);
    std::string library = bundlePath != nullptr ? bundlePath : "";
    if (!library.empty() && library.back() != '/')
        library += '/';
    library += PluginLibrary::fileName();
    std::uint32_t channels = 1;
    for (const BundlePlugin& plugin : kBundlePlugins)
        if (std::strcmp(plugin.uri, descriptor->URI) == 0)
            channels = plugin.channels;
    try {
        return new Handle{host, Lv2Instance(library, sampleRate, host, channels)};
    } catch (const std::exception& failure) {
        host.logError(SupportedRate(sampleRate) ? std::string(failure.what())
                                                : UnsupportedRateText(sampleRate));
    } catch (...) {
        host.logError("the plug-in failed to start");
    }
    return nullptr;
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data)
{
    instanceOf(handle).connect(port, data);
}

void activate(LV2_Handle handle)
{
    instanceOf(handle).activate();
}

void run(LV2_Handle handle, std::uint32_t frames)
{
    instanceOf(handle).run(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle handle)
{
    delete static_cast<Handle*>(handle);
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store,
                      LV2_State_Handle storeHandle, std::uint32_t, const LV2_Feature* const*)
{
    const LV2_URID_Map* map = static_cast<Handle*>(handle)->host.map;
    if (map == nullptr)
        return LV2_STATE_ERR_NO_FEATURE;
    try {
        const Lv2Instance::State state = instanceOf(handle).saveState();
        const LV2_URID chunk = map->map(map->handle, LV2_ATOM__Chunk);
        const std::uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        const LV2_State_Status stored =
            store(storeHandle, map->map(map->handle, kStateKey), state.values.data(),
                  state.values.size(), chunk, flags);
        if (stored != LV2_STATE_SUCCESS)
            return stored;
        return store(storeHandle, map->map(map->handle, kPortsKey), state.ports.data(),
                     state.ports.size(), chunk, flags);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

// A state without our properties (a host's preset of port values) leaves
// the instance as it is.
LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle retrieveHandle, std::uint32_t, const LV2_Feature* const*)
{
    const Handle& owner = *static_cast<Handle*>(handle);
    const LV2_URID_Map* map = owner.host.map;
    if (map == nullptr)
        return LV2_STATE_ERR_NO_FEATURE;
    const LV2_URID chunk = map->map(map->handle, LV2_ATOM__Chunk);
    bool chunks = true;
    const auto bytes = [&](const char* key) -> std::span<const std::uint8_t> {
        std::size_t size = 0;
        std::uint32_t type = 0;
        std::uint32_t flags = 0;
        const void* data =
            retrieve(retrieveHandle, map->map(map->handle, key), &size, &type, &flags);
        if (data == nullptr)
            return {};
        chunks = chunks && type == chunk;
        return {static_cast<const std::uint8_t*>(data), size};
    };
    const std::span<const std::uint8_t> values = bytes(kStateKey);
    const std::span<const std::uint8_t> ports = bytes(kPortsKey);
    if (values.data() == nullptr)
        return LV2_STATE_SUCCESS;
    if (!chunks) {
        owner.host.logError("the saved state is not a chunk of bytes; the plug-in kept its own");
        return LV2_STATE_ERR_BAD_TYPE;
    }
    try {
        const std::string refusal = instanceOf(handle).restoreState(values, ports);
        if (refusal.empty())
            return LV2_STATE_SUCCESS;
        owner.host.logError("the saved state was refused (" + refusal +
                            "); the plug-in kept its own");
    } catch (...) {
    }
    return LV2_STATE_ERR_UNKNOWN;
}

const LV2_State_Interface kStateInterface = {save, restore};

const void* extensionData(const char* uri)
{
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &kStateInterface : nullptr;
}

const LV2_Descriptor kDescriptors[] = {
    {kBundlePlugins[0].uri, instantiate, connectPort, activate, run, deactivate, cleanup,
     extensionData},
    {kBundlePlugins[1].uri, instantiate, connectPort, activate, run, deactivate, cleanup,
     extensionData},
};

} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index < std::size(kDescriptors) ? &kDescriptors[index] : nullptr;
}
