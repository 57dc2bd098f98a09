// The LV2 bundle's plug-ins and their ports, derived from the plug-in's own
// description so that the adapter and the bundle's description files cannot
// disagree: audio in and out per channel, a control input per parameter a user sets (in host
// parameter order), the host's bypass as lv2:enabled, a Tap button, a control output per value the
// plug-in writes for display, the meters, and an atom input for the host's transport.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/runtime/plugindescription.h"

inline constexpr const char* kPluginUri = "urn:orlund:vx9:tapedelay";
inline constexpr const char* kStereoPluginUri = "urn:orlund:vx9:tapedelay-stereo";

// The bundle's plug-ins in descriptor order: the mono tape delay, and the
// same in stereo (two channels with one setting), each with its panel (the
// UI module's descriptors in the same order).
struct BundlePlugin {
    const char* uri;
    std::uint32_t channels;
    const char* file; // its description file
    const char* ui;   // its panel's URI
};
inline constexpr BundlePlugin kBundlePlugins[] = {
    {kPluginUri, 1, "tapedelay.ttl", "urn:orlund:vx9:tapedelay#ui"},
    {kStereoPluginUri, 2, "tapedelay-stereo.ttl", "urn:orlund:vx9:tapedelay-stereo#ui"}};

enum class PortRole {
    audioIn,
    audioOut,
    parameterIn,  // a parameter the user sets
    enabled,      // the host's bypass, inverted
    tap,          // a button: each press after the first taps a tempo
    parameterOut, // a value the plug-in writes for display
    meter,        // a meter's peak since the previous run
    transport,    // the host's time:Position events
};

struct BundlePort {
    PortRole role = PortRole::audioIn;
    std::string symbol;
    std::string name;
    // The host parameter index (parameterIn, parameterOut, enabled), the
    // meter's position (meter) or the channel (audioIn, audioOut); unused
    // for the others.
    std::size_t source = 0;
};

// Audio in and out come first: the mono plug-in's "in" and "out"; the
// stereo one's "in_l", "in_r", "out_l", "out_r".
inline constexpr std::uint32_t kAudioInPort = 0;
inline constexpr std::uint32_t kAudioOutPort = 1;

// A plug-in's ports in index order for 1 or 2 channels. Throws
// std::invalid_argument when two would share a symbol.
std::vector<BundlePort> BundlePorts(const PluginDescription& description,
                                    std::uint32_t channels = 1);
