#include "panelports.h"

#include <algorithm>
#include <cmath>

#include "host/effect/decimalvalue.h"

PanelPorts::PanelPorts(const PluginDescription& description, std::uint32_t channels)
    : description(description),
      ports(BundlePorts(description, channels)),
      inputPorts(description.parameters.size())
{
    for (std::uint32_t i = 0; i < ports.size(); ++i) {
        const BundlePort& port = ports[i];
        if (port.role == PortRole::parameterIn || port.role == PortRole::enabled)
            inputPorts[port.source] = i;
        else if (port.role == PortRole::tap)
            tap = i;
    }
}

PanelUpdate PanelPorts::fromPort(std::uint32_t port, float value) const
{
    if (port >= ports.size() || !std::isfinite(value))
        return {};
    const BundlePort& bundlePort = ports[port];
    switch (bundlePort.role) {
    case PortRole::enabled:
        return {PanelUpdate::Kind::value, bundlePort.source, value > 0.0f ? 0.0 : 1.0};
    case PortRole::parameterIn:
    case PortRole::parameterOut: {
        // The decimal the plug-in reads from the same port value.
        const ParameterInfo& parameter = description.parameters[bundlePort.source];
        return {PanelUpdate::Kind::value, bundlePort.source,
                std::clamp(DecimalValue(value), parameter.minValue, parameter.maxValue)};
    }
    case PortRole::meter:
        return {bundlePort.source == 0 ? PanelUpdate::Kind::inputMeter
                                       : PanelUpdate::Kind::outputMeter,
                0, std::clamp(static_cast<double>(value), 0.0, 1.0)};
    default: return {};
    }
}

std::optional<std::uint32_t> PanelPorts::inputPort(std::size_t index) const
{
    return index < inputPorts.size() ? inputPorts[index] : std::nullopt;
}

std::optional<PortWrite> PanelPorts::toPort(std::size_t index, double value) const
{
    const std::optional<std::uint32_t> port = inputPort(index);
    if (!port || !std::isfinite(value))
        return std::nullopt;
    const ParameterInfo& parameter = description.parameters[index];
    if (parameter.hostBypass)
        return PortWrite{*port, value > 0.5 ? 0.0f : 1.0f};
    return PortWrite{*port,
                     static_cast<float>(std::clamp(value, parameter.minValue, parameter.maxValue))};
}
