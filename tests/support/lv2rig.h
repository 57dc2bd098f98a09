// The bundle's shared object loaded as a host loads it, with a host's side
// of the features: a URI map (and its reverse, for lilv's state files), a
// log that keeps what it is told, and the options that give the longest
// block.
#pragma once

#include <dlfcn.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include "host/runtime/pluginlibrary.h"
#include "lv2/bundleports.h"

class Lv2Host {
public:
    explicit Lv2Host(std::int32_t maxBlock = 0) : maxBlock(maxBlock)
    {
        mapFeature = {LV2_URID__map, &map};
        logFeature = {LV2_LOG__log, &log};
        options = {{LV2_OPTIONS_INSTANCE, 0, urid(LV2_BUF_SIZE__maxBlockLength), sizeof maxBlock,
                    urid(LV2_ATOM__Int), &this->maxBlock},
                   {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        optionsFeature = {LV2_OPTIONS__options, options.data()};
    }

    LV2_URID urid(const std::string& uri)
    {
        const auto [at, added] = ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1));
        if (added)
            uris.push_back(uri);
        return at->second;
    }
    LV2_URID_Map* uridMap() { return &map; }
    LV2_URID_Unmap* uridUnmap() { return &unmap; }

    // All three features, or none.
    std::vector<const LV2_Feature*> features(bool offer)
    {
        if (!offer)
            return {nullptr};
        return {&mapFeature, &logFeature, maxBlock > 0 ? &optionsFeature : nullptr, nullptr};
    }

    std::string logged;

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri)
    {
        return static_cast<Lv2Host*>(handle)->urid(uri);
    }
    static const char* unmapUrid(LV2_URID_Unmap_Handle handle, LV2_URID urid)
    {
        const auto& uris = static_cast<Lv2Host*>(handle)->uris;
        return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
    }
    static int logPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...)
    {
        va_list args;
        va_start(args, format);
        const int n = logVprintf(handle, type, format, args);
        va_end(args);
        return n;
    }
    static int logVprintf(LV2_Log_Handle handle, LV2_URID, const char* format, va_list args)
    {
        char text[1024];
        const int n = std::vsnprintf(text, sizeof text, format, args);
        static_cast<Lv2Host*>(handle)->logged += text;
        return n;
    }

    std::int32_t maxBlock;
    std::map<std::string, LV2_URID> ids;
    std::vector<std::string> uris; // by URID - 1
    LV2_URID_Map map{this, mapUri};
    LV2_URID_Unmap unmap{this, unmapUrid};
    LV2_Log_Log log{this, logPrintf, logVprintf};
    std::vector<LV2_Options_Option> options;
    LV2_Feature mapFeature{};
    LV2_Feature logFeature{};
    LV2_Feature optionsFeature{};
};

// A shared object of the bundle loaded as a host loads it, and the
// descriptors its entry point gives.
template <class Descriptor>
class Lv2SharedObject {
public:
    Lv2SharedObject(const std::string& file, const char* entryName)
    {
        handle =
            dlopen((std::string(TAPEDELAY_LV2_BUNDLE) + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            throw std::runtime_error(dlerror());
        entry = reinterpret_cast<const Descriptor* (*)(std::uint32_t)>(dlsym(handle, entryName));
        if (entry == nullptr)
            throw std::runtime_error(std::string("no ") + entryName);
    }
    ~Lv2SharedObject() { dlclose(handle); }
    Lv2SharedObject(const Lv2SharedObject&) = delete;
    Lv2SharedObject& operator=(const Lv2SharedObject&) = delete;

    const Descriptor* descriptor(std::uint32_t index) const { return entry(index); }

private:
    void* handle = nullptr;
    const Descriptor* (*entry)(std::uint32_t) = nullptr;
};

// The plug-in's descriptor: the mono plug-in's, or the one at that index of
// kBundlePlugins.
class Lv2Module : Lv2SharedObject<LV2_Descriptor> {
public:
    explicit Lv2Module(std::uint32_t index = 0)
        : Lv2SharedObject("tapedelay_lv2.so", "lv2_descriptor"),
          descriptor(Lv2SharedObject::descriptor(index)),
          channels(kBundlePlugins[index].channels)
    {
        if (descriptor == nullptr)
            throw std::runtime_error("no lv2_descriptor");
    }

    const LV2_Descriptor* descriptor;
    std::uint32_t channels;
};

// A state as a host keeps it: properties by key.
struct Lv2SavedState {
    struct Property {
        LV2_URID type = 0;
        std::vector<std::uint8_t> bytes;
    };
    std::map<LV2_URID, Property> properties;
};

// Control values by port symbol.
using Lv2Controls = std::vector<std::pair<const char*, float>>;

// One instance with a buffer for every control port, connected by symbol.
class Lv2Plugin {
public:
    Lv2Plugin(Lv2Module& module, Lv2Host& host, double rate, bool features = true,
              const std::string& bundle = TAPEDELAY_LV2_BUNDLE)
        : descriptor(module.descriptor)
    {
        PluginLibrary library(std::string(TAPEDELAY_LV2_BUNDLE) + "/" + PluginLibrary::fileName());
        const PluginDescription description = DescribeLibrary(library);
        ports = BundlePorts(description, module.channels);
        controls.resize(ports.size(), 0.0f);
        const std::vector<const LV2_Feature*> offered = host.features(features);
        instance = descriptor->instantiate(descriptor, rate, bundle.c_str(), offered.data());
        if (instance == nullptr)
            return;
        for (std::uint32_t i = 0; i < ports.size(); ++i) {
            const BundlePort& port = ports[i];
            if (port.role == PortRole::parameterIn || port.role == PortRole::parameterOut)
                controls[i] = static_cast<float>(description.parameters[port.source].defaultValue);
            if (port.role == PortRole::enabled)
                controls[i] = 1.0f;
            if (port.role != PortRole::audioIn && port.role != PortRole::audioOut &&
                port.role != PortRole::transport)
                descriptor->connect_port(instance, i, &controls[i]);
        }
    }
    ~Lv2Plugin()
    {
        if (instance != nullptr)
            descriptor->cleanup(instance);
    }

    bool started() const { return instance != nullptr; }
    float& control(const std::string& symbol) { return controls[index(symbol)]; }
    void set(const Lv2Controls& values)
    {
        for (const auto& [symbol, value] : values)
            control(symbol) = value;
    }
    std::uint32_t index(const std::string& symbol) const
    {
        for (std::uint32_t i = 0; i < ports.size(); ++i)
            if (ports[i].symbol == symbol)
                return i;
        throw std::invalid_argument("no port " + symbol);
    }
    void connect(const std::string& symbol, void* data)
    {
        descriptor->connect_port(instance, index(symbol), data);
    }
    void activate() { descriptor->activate(instance); }
    void deactivate() { descriptor->deactivate(instance); }
    // In place when in and out are the same.
    void run(const float* in, float* out, std::uint32_t frames)
    {
        descriptor->connect_port(instance, index("in"), const_cast<float*>(in));
        descriptor->connect_port(instance, index("out"), out);
        descriptor->run(instance, frames);
    }

    // Through the state interface, with the features given at instantiation.
    LV2_State_Status save(Lv2SavedState& state)
    {
        return stateInterface()->save(instance, store, &state, LV2_STATE_IS_POD, nullptr);
    }
    LV2_State_Status restore(const Lv2SavedState& state)
    {
        return stateInterface()->restore(instance, retrieve, const_cast<Lv2SavedState*>(&state), 0,
                                         nullptr);
    }

private:
    const LV2_State_Interface* stateInterface() const
    {
        const auto* found = static_cast<const LV2_State_Interface*>(
            descriptor->extension_data(LV2_STATE__interface));
        if (found == nullptr)
            throw std::runtime_error("no state interface");
        return found;
    }
    static LV2_State_Status store(LV2_State_Handle handle, std::uint32_t key, const void* value,
                                  std::size_t size, std::uint32_t type, std::uint32_t)
    {
        auto& state = *static_cast<Lv2SavedState*>(handle);
        const auto* bytes = static_cast<const std::uint8_t*>(value);
        state.properties[key] = {type, std::vector<std::uint8_t>(bytes, bytes + size)};
        return LV2_STATE_SUCCESS;
    }
    static const void* retrieve(LV2_State_Handle handle, std::uint32_t key, std::size_t* size,
                                std::uint32_t* type, std::uint32_t* flags)
    {
        const auto& properties = static_cast<const Lv2SavedState*>(handle)->properties;
        const auto found = properties.find(key);
        if (found == properties.end())
            return nullptr;
        *size = found->second.bytes.size();
        *type = found->second.type;
        *flags = LV2_STATE_IS_POD;
        return found->second.bytes.data();
    }

    const LV2_Descriptor* descriptor;
    LV2_Handle instance = nullptr;
    std::vector<BundlePort> ports;
    std::vector<float> controls;
};

// An instance at `rate` with these controls set and the transport connected
// when given, activated; throws when the adapter refuses to start.
inline std::unique_ptr<Lv2Plugin> StartLv2(Lv2Module& module, Lv2Host& host, double rate,
                                           const Lv2Controls& controls, void* transport = nullptr,
                                           bool features = true)
{
    auto plugin = std::make_unique<Lv2Plugin>(module, host, rate, features);
    if (!plugin->started())
        throw std::runtime_error("the adapter refused to start");
    plugin->set(controls);
    if (transport != nullptr)
        plugin->connect("control", transport);
    plugin->activate();
    return plugin;
}

// An atom sequence holding time:Position objects with a tempo each.
class TempoSequence {
public:
    TempoSequence(Lv2Host& host) : host(host) { clear(); }

    void clear()
    {
        bytes.assign(sizeof(LV2_Atom_Sequence), 0);
        auto* sequence = header();
        sequence->atom.type = host.urid(LV2_ATOM__Sequence);
        sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
    }

    void add(std::int64_t frame, float bpm)
    {
        struct Event {
            LV2_Atom_Event event;
            LV2_Atom_Object_Body object;
            LV2_Atom_Property_Body property;
            float value;
            float pad;
        } e{};
        e.event.time.frames = frame;
        e.event.body.type = host.urid(LV2_ATOM__Object);
        e.event.body.size = sizeof e - sizeof e.event - sizeof e.pad;
        e.object.otype = host.urid(LV2_TIME__Position);
        e.property.key = host.urid(LV2_TIME__beatsPerMinute);
        e.property.value.type = host.urid(LV2_ATOM__Float);
        e.property.value.size = sizeof(float);
        e.value = bpm;
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&e);
        bytes.insert(bytes.end(), raw, raw + sizeof e);
        header()->atom.size += sizeof e;
    }

    void* data() { return bytes.data(); }

private:
    LV2_Atom_Sequence* header() { return reinterpret_cast<LV2_Atom_Sequence*>(bytes.data()); }

    Lv2Host& host;
    std::vector<std::uint8_t> bytes;
};
