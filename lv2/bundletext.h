// The bundle's description files in Turtle, written from the plug-in's own
// descriptor, parameter and meter descriptions and the presets, so that they
// say what the library does.
#pragma once

#include <string>

#include "host/runtime/plugindescription.h"

// manifest.ttl: the plug-in and its presets, pointing at the other files.
std::string ManifestText(const std::string& binaryFile);

// tapedelay.ttl: the plug-in and its ports.
std::string PluginText(const PluginDescription& description);

// presets.ttl: every preset as the values of all the parameter ports.
std::string PresetsText(const PluginDescription& description);

inline constexpr const char* kPluginFile = "tapedelay.ttl";
inline constexpr const char* kPresetsFile = "presets.ttl";
