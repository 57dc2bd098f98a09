// The plug-in library a plug-in format's module loads from its own folder,
// once per process, shared by every instance the module makes: the
// library, its own description, and what every format derives from it (the
// words users may type, the presets as changes, the parameters a host only
// reads).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/runtime/plugindescription.h"
#include "host/runtime/pluginlibrary.h"
#include "host/runtime/values/parameterwords.h"

struct PresetChanges {
    std::string label;
    // Every parameter a preset may set, in host order: its default, or the
    // preset's value (host index, plain value).
    std::vector<std::pair<std::uint32_t, double>> changes;
};

struct ProductLibrary {
    // [set-up] allocates; throws PluginLoadError or PluginContractError.
    explicit ProductLibrary(const std::string& libraryPath);

    PluginLibrary library;
    PluginDescription description;
    ParameterWords words;
    std::vector<PresetChanges> presets;

    // [any] no allocation: whether the parameter is one the plug-in writes
    // for display.
    bool shown(std::size_t index) const;
    // [any] no allocation: the host index of a parameter's identifier (its
    // four-character code), or the parameter count when none.
    std::size_t indexOf(std::uint32_t identifier) const;
};
