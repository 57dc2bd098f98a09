#include "lv2instance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "host/effect/decimalvalue.h"

namespace {

std::size_t controlCount(const std::vector<BundlePort>& ports)
{
    std::size_t count = 0;
    for (const BundlePort& port : ports)
        count += port.role == PortRole::parameterIn || port.role == PortRole::enabled ? 1 : 0;
    return count;
}

} // namespace

Lv2Instance::Lv2Instance(const std::string& libraryPath, double sampleRate,
                         const HostFeatures& features, std::uint32_t channels)
    : library(libraryPath),
      effect(library, {sampleRate, features.maxBlock, channels}),
      ports(BundlePorts(effect.description(), channels)),
      connections(ports.size(), nullptr),
      transport(features.map),
      saved(effect.parameterCount() + controlCount(ports))
{
    const PluginDescription& description = effect.description();
    for (std::uint32_t i = 0; i < ports.size(); ++i) {
        const BundlePort& port = ports[i];
        switch (port.role) {
        case PortRole::audioIn: audioIn.push_back(i); break;
        case PortRole::audioOut: audioOut.push_back(i); break;
        case PortRole::parameterIn:
            controls.push_back(
                {i, port.source,
                 static_cast<float>(description.parameters[port.source].defaultValue)});
            break;
        case PortRole::enabled: controls.push_back({i, port.source, 1.0f}); break;
        case PortRole::tap: tapPort = i; break;
        case PortRole::transport: transportPort = i; break;
        default: break;
        }
    }
    events.reserve(controls.size() + 1 + tempoEvents.size());
    inputs.resize(channels);
    outputs.resize(channels);
    publish();
}

void Lv2Instance::publish()
{
    const std::size_t parameters = effect.parameterCount();
    saved.publish([&](std::size_t i) {
        return i < parameters ? effect.value(i) : controls[i - parameters].previous;
    });
    publishedRevision = effect.revision();
}

void Lv2Instance::connect(std::uint32_t port, void* data)
{
    if (port < connections.size())
        connections[port] = data;
}

void Lv2Instance::run(std::uint32_t frames)
{
    events.clear();
    const bool portsMoved = readControls();
    if (tapPort)
        events.push_back(
            {0, EffectEvent::Kind::tap, 0, portValue(*tapPort, 0.0f) > 0.0f ? 1.0 : 0.0});
    const std::size_t tempos =
        transportPort ? transport.read(connections[*transportPort], frames, tempoEvents) : 0;
    for (std::size_t i = 0; i < tempos; ++i)
        events.push_back({tempoEvents[i].frame, EffectEvent::Kind::tempo, 0, tempoEvents[i].bpm});
    for (std::size_t c = 0; c < inputs.size(); ++c) {
        inputs[c] = static_cast<const float*>(connections[audioIn[c]]);
        outputs[c] = static_cast<float*>(connections[audioOut[c]]);
    }
    effect.run(inputs, outputs, frames, events);
    // The host's ports cannot take the plug-in's own values: they stay inside.
    effect.takeOwnWrites([](std::size_t, double) {});
    if (portsMoved || effect.revision() != publishedRevision)
        publish();
    writeOutputs();
}

float Lv2Instance::portValue(std::uint32_t port, float fallback) const
{
    const auto* value = static_cast<const float*>(connections[port]);
    return value != nullptr && std::isfinite(*value) ? *value : fallback;
}

double Lv2Instance::parameterValue(const Control& control, float portValue) const
{
    if (effect.description().parameters[control.parameter].hostBypass)
        return portValue > 0.0f ? 0.0 : 1.0; // lv2:enabled is the bypass turned round
    return DecimalValue(portValue);
}

bool Lv2Instance::readControls()
{
    bool moved = false;
    for (Control& control : controls) {
        const float value = portValue(control.port, control.previous);
        if (value == control.previous)
            continue;
        moved = true;
        control.previous = value;
        if (!adoptPorts)
            events.push_back({0, EffectEvent::Kind::change,
                              static_cast<std::uint32_t>(control.parameter),
                              parameterValue(control, value)});
    }
    adoptPorts = false;
    return moved;
}

void Lv2Instance::writeOutputs()
{
    for (std::uint32_t i = 0; i < ports.size(); ++i) {
        auto* value = static_cast<float*>(connections[i]);
        if (value == nullptr)
            continue;
        if (ports[i].role == PortRole::parameterOut)
            *value = static_cast<float>(effect.value(ports[i].source));
        else if (ports[i].role == PortRole::meter)
            *value = ports[i].source == 0 ? effect.inputMeter() : effect.outputMeter();
    }
}

Lv2Instance::State Lv2Instance::saveState() const
{
    const std::vector<double> values = saved.read();
    const std::vector<ParameterInfo>& parameters = effect.description().parameters;
    EffectState effectValues;
    for (std::size_t i = 0; i < parameters.size(); ++i)
        effectValues.values.emplace_back(parameters[i].identifier, values[i]);
    EffectState portValues;
    for (std::size_t k = 0; k < controls.size(); ++k)
        portValues.values.emplace_back(parameters[controls[k].parameter].identifier,
                                       values[parameters.size() + k]);
    return {WriteEffectState(effectValues), WriteEffectState(portValues)};
}

std::string Lv2Instance::restoreState(std::span<const std::uint8_t> values,
                                      std::span<const std::uint8_t> ports)
{
    const ReadStateResult read = ReadEffectState(values);
    if (!read.state)
        return read.refusal;
    std::optional<EffectState> portValues;
    if (!ports.empty()) {
        ReadStateResult portsRead = ReadEffectState(ports);
        if (!portsRead.state)
            return "the ports' values: " + portsRead.refusal;
        portValues = std::move(portsRead.state);
    }
    effect.restore(*read.state);
    adoptPorts = !portValues;
    if (portValues) {
        const std::vector<ParameterInfo>& parameters = effect.description().parameters;
        for (const auto& [code, value] : portValues->values)
            for (Control& control : controls)
                if (parameters[control.parameter].identifier == code)
                    control.previous = static_cast<float>(
                        std::clamp<double>(value, -std::numeric_limits<float>::max(),
                                           std::numeric_limits<float>::max()));
    }
    publish();
    return {};
}
