// The panel's side of a plug-in's ports: the port a value the panel sets is
// written to, and what a port's value the host reports means to the panel.
// The enabled port is the host's bypass turned round, as the plug-in reads
// it; the Tap button has a port of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "bundleports.h"

// A port's value as the panel takes it.
struct PanelUpdate {
    enum class Kind { none, value, inputMeter, outputMeter };
    Kind kind = Kind::none;
    std::size_t index = 0; // the host index (value)
    double value = 0.0;    // plain, within the parameter's range; a meter's peak 0 to 1
};

// A control port's new value.
struct PortWrite {
    std::uint32_t port = 0;
    float value = 0.0f;
};

class PanelPorts {
public:
    // [ui] allocates; throws std::invalid_argument as BundlePorts does. The
    // description must outlive this.
    PanelPorts(const PluginDescription& description, std::uint32_t channels);

    // [ui] no allocation: a port's value as the panel takes it; none for a
    // port the panel does not show (audio, Tap, transport, past the last)
    // and for a value that is not a number.
    PanelUpdate fromPort(std::uint32_t port, float value) const;
    // [ui] no allocation: the port a parameter's plain value goes to, and
    // its value there; none for a parameter without an input port (the
    // values the plug-in writes for display) or past the last.
    std::optional<PortWrite> toPort(std::size_t index, double value) const;
    // [ui] no allocation: a parameter's input port, as toPort finds it.
    std::optional<std::uint32_t> inputPort(std::size_t index) const;
    // The Tap button's port, when the plug-in has one.
    std::optional<std::uint32_t> tapPort() const { return tap; }

private:
    const PluginDescription& description;
    std::vector<BundlePort> ports;
    std::vector<std::optional<std::uint32_t>> inputPorts; // by host index
    std::optional<std::uint32_t> tap;
};
