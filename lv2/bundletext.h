// The bundle's description files in Turtle, written from the plug-in's own
// descriptor, parameter and meter descriptions and the presets, so that they
// say what the library does.
#pragma once

#include <string>

#include "host/runtime/plugindescription.h"

#include "bundleports.h"

// manifest.ttl: the plug-ins, their panels and their presets, pointing at
// the other files.
std::string ManifestText(const std::string& binaryFile, const std::string& panelBinaryFile);

// The plug-in's own file (plugin.file): the plug-in and its ports, and its
// panel.
std::string PluginText(const PluginDescription& description, const BundlePlugin& plugin);

// presets.ttl: every preset as the values of all the parameter ports, for
// both plug-ins (their control ports are the same).
std::string PresetsText(const PluginDescription& description);

inline constexpr const char* kPresetsFile = "presets.ttl";
