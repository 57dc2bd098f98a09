// What the plug-in says about itself: its descriptor and its parameter and
// meter descriptions, exchanged once and read with the message reader. The
// host builds its parameters from these alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hux/public/plugin/huxplugin.h"
#include "pluginlibrary.h"

enum class ParameterKind { numeric, list };

struct ParameterInfo {
    std::string code;                // the four-character identifier
    std::uint32_t identifier = 0;    // the same as a four-character code
    std::vector<std::string> labels; // longest first
    ParameterKind kind = ParameterKind::numeric;
    double minValue = 0.0;
    double maxValue = 0.0;
    double defaultValue = 0.0;        // a list parameter's default option index
    std::vector<std::string> options; // a list parameter's options ("Quarter,Qtr")
    std::string units;
    bool automate = true;
    bool hostBypass = false; // the host's own bypass

    std::string name() const { return labels.empty() ? code : labels.front(); }
};

struct MeterInfo {
    std::uint32_t position = 0; // its entry in the meter array
    std::string label;
    std::int64_t type = 0;
};

struct PluginDescription {
    Missive descriptor;          // as the plug-in handed it over
    Missive parametersAndMeters; // the parameter exchange's message
    std::string name;            // its full name, the first of "pluginName"
    std::string developer;
    bool enableBypass = true;
    std::vector<ParameterInfo> parameters; // in host index order
    std::vector<MeterInfo> meters;

    // The host index of the parameter with that identifier.
    std::optional<std::size_t> find(std::string_view code) const;
};

// The host's bypass parameter, appended after the plug-in's own. A host
// rule, not a product's: the framework binds every plug-in's bypass handler
// to this identifier.
inline constexpr const char* kHostBypassCode = "bypa";

// Exchanges the descriptor and then the parameters (one channel) with the
// plug-in and reads them. Throws PluginContractError for a malformed message.
PluginDescription ExchangeDescriptions(IIHux::Plugin& plugin);

// The same for a library: a plug-in object is acquired for the exchange and
// released again.
PluginDescription DescribeLibrary(PluginLibrary& library);

// A four-character identifier as its code: the first character in the most
// significant byte.
std::uint32_t FourCharacterCode(std::string_view code);
