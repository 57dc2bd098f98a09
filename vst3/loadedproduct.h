// The plug-in library of a bundle, loaded once per process and shared by
// every processor and controller the module's factory makes: the library,
// its own description, and what the VST3 classes derive from it (each
// parameter's scale, the words users may type, the presets as changes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/runtime/plugindescription.h"
#include "host/runtime/values/parameterwords.h"
#include "parameterscale.h"

struct PresetChanges {
    std::string label;
    // Every parameter a preset may set, in host order: its default, or the
    // preset's value (host index, plain value).
    std::vector<std::pair<std::uint32_t, double>> changes;
};

struct LoadedProduct {
    // [set-up] allocates; throws PluginLoadError or PluginContractError.
    explicit LoadedProduct(const std::string& libraryPath);

    PluginLibrary library;
    PluginDescription description;
    std::vector<ParameterScale> scales; // by host index
    ParameterWords words;
    std::vector<PresetChanges> presets;

    // Whether the parameter is one the plug-in writes for display.
    bool shown(std::size_t index) const;
    // The preset a program change's normalised value chooses: [any] no
    // allocation; presets must not be empty.
    std::size_t presetIndex(double normalised) const;
    // The host index of a parameter ID (its four-character code), or
    // parameterCount when none: [any] no allocation.
    std::size_t indexOf(std::uint32_t id) const;
};

// [set-up] This module's own file (dladdr / GetModuleFileNameW), and the
// plug-in library beside it in the bundle; empty when the system cannot say.
std::string ModuleFile();
std::string BundledLibraryPath();
