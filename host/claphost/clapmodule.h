// A CLAP file loaded as a host loads it: the shared library opened
// (dlopen / LoadLibraryW), its clap_entry initialised with the file's
// absolute path, the plug-in factory taken from it; deinitialised and
// closed again when it goes.
#pragma once

#include <clap/entry.h>
#include <clap/factory/plugin-factory.h>

#include <string>

class ClapModule {
public:
    // [main] throws HostInputError naming the file when it cannot be
    // loaded, has no clap_entry, refuses init or offers no plug-in factory.
    explicit ClapModule(const std::string& file);
    ~ClapModule();
    ClapModule(const ClapModule&) = delete;
    ClapModule& operator=(const ClapModule&) = delete;

    const clap_plugin_factory_t& factory() const { return *pluginFactory; }

private:
    void close();

    void* library = nullptr;
    const clap_plugin_entry_t* entry = nullptr;
    bool initialised = false;
    const clap_plugin_factory_t* pluginFactory = nullptr;
};
