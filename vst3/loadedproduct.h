// The plug-in library of a bundle, loaded once per process and shared by
// every processor and controller the module's factory makes, with what the
// VST3 classes add: each parameter's scale and the program list.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/effect/productlibrary.h"
#include "parameterscale.h"

struct LoadedProduct : ProductLibrary {
    // [set-up] allocates; throws PluginLoadError or PluginContractError.
    explicit LoadedProduct(const std::string& libraryPath);

    std::vector<ParameterScale> scales; // by host index
    std::string fontPath;               // the editor's, beside the library

    // The preset a program change's normalised value chooses: [any] no
    // allocation; presets must not be empty.
    std::size_t presetIndex(double normalised) const;
};

// [set-up] This module's own file (dladdr / GetModuleFileNameW), and the
// plug-in library beside it in the bundle; empty when the system cannot say.
std::string ModuleFile();
std::string BundledLibraryPath();
