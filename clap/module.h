// The CLAP module: the plug-in library loaded from the module's own folder
// when the host initialises it, and what every instance shares (the
// parameters as CLAP shows them, the two descriptors).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "clap/plugin.h"
#include "host/effect/productlibrary.h"
#include "parameters.h"

struct ClapModule {
    // [main] allocates; throws PluginLoadError or PluginContractError.
    explicit ClapModule(const std::string& libraryPath);
    ClapModule(const ClapModule&) = delete;
    ClapModule& operator=(const ClapModule&) = delete;

    ProductLibrary product;
    ClapParameters parameters;
    // Mono first, then stereo (two instances with one setting).
    std::array<clap_plugin_descriptor_t, 2> descriptors{};
    // The editor's font, beside the plug-in library.
    std::string fontPath;

    // [any] no allocation: the channels of the descriptor with that ID, or
    // 0 when none has it.
    std::uint32_t channelsOf(const char* pluginId) const;

private:
    std::string name;
    std::string stereoName;
    std::string vendor;
};
