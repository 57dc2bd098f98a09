#include "lv2instance.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "host/effect/decimalvalue.h"
#include "host/effect/defaultfloatingpoint.h"
#include "host/product/parametercodes.h"
#include "host/product/tempo.h"

namespace {

// A parameter's range, or everything when the plug-in lacks it.
std::pair<double, double> rangeOf(const PluginDescription& description, const char* code)
{
    if (const std::optional<std::size_t> index = description.find(code))
        return {description.parameters[*index].minValue, description.parameters[*index].maxValue};
    return {0.0, std::numeric_limits<double>::infinity()};
}

} // namespace

Lv2Instance::Lv2Instance(const std::string& libraryPath, double sampleRate,
                         const HostFeatures& features)
    : library(libraryPath),
      instance(library, {sampleRate, features.maxBlock, kDefaultSessionTempo}),
      description(instance.description()),
      ports(BundlePorts(description)),
      connections(ports.size(), nullptr),
      maxBlock(features.maxBlock),
      sampleRate(sampleRate),
      transport(features.map)
{
    for (std::uint32_t i = 0; i < ports.size(); ++i) {
        const BundlePort& port = ports[i];
        if (port.role == PortRole::parameterIn)
            controls.push_back(
                {i, port.source,
                 static_cast<float>(description.parameters[port.source].defaultValue)});
        else if (port.role == PortRole::enabled)
            controls.push_back({i, port.source, 1.0f});
        else if (port.role == PortRole::tap)
            tapPort = i;
        else if (port.role == PortRole::transport)
            transportPort = i;
    }
    startingValues.reserve(controls.size());
    std::tie(lowestTempo, highestTempo) = rangeOf(description, kShownSessionTempo);
    std::tie(lowestTap, highestTap) = rangeOf(description, kTempo);
}

void Lv2Instance::connect(std::uint32_t port, void* data)
{
    if (port < connections.size())
        connections[port] = data;
}

void Lv2Instance::run(std::uint32_t frames)
{
    const void* input = connections[kAudioInPort];
    auto* output = static_cast<float*>(connections[kAudioOutPort]);
    if (!failed && input != nullptr && output != nullptr) {
        const DefaultFloatingPoint modes;
        try {
            const std::size_t events =
                transportPort ? transport.read(connections[*transportPort], frames, tempoEvents)
                              : 0;
            // The tempo at the run's start is there when the tape starts.
            std::size_t next = 0;
            for (; starting && next < events && tempoEvents[next].frame == 0; ++next)
                setSessionTempo(tempoEvents[next].bpm);
            readControls();
            readTap();
            processRun(frames, {tempoEvents.data() + next, events - next});
            writeOutputs();
        } catch (...) {
            failed = true; // the plug-in broke its contract: silence from now on
        }
    }
    if ((failed || input == nullptr) && output != nullptr)
        std::fill_n(output, frames, 0.0f);
    clock += frames;
}

float Lv2Instance::portValue(std::uint32_t port, float fallback) const
{
    const auto* value = static_cast<const float*>(connections[port]);
    return value != nullptr && std::isfinite(*value) ? *value : fallback;
}

double Lv2Instance::parameterValue(const Control& control, float portValue) const
{
    const ParameterInfo& parameter = description.parameters[control.parameter];
    if (parameter.hostBypass) // lv2:enabled is the bypass turned round
        return portValue > 0.0f ? 0.0 : 1.0;
    return std::clamp(DecimalValue(portValue), parameter.minValue, parameter.maxValue);
}

void Lv2Instance::readControls()
{
    if (starting)
        startingValues.clear();
    for (Control& control : controls) {
        const float value = portValue(control.port, control.previous);
        if (value == control.previous)
            continue;
        control.previous = value;
        if (starting)
            startingValues.emplace_back(control.parameter, parameterValue(control, value));
        else
            instance.change(control.parameter, parameterValue(control, value));
    }
    if (starting) {
        instance.start(startingValues);
        starting = false;
    }
}

void Lv2Instance::readTap()
{
    if (!tapPort)
        return;
    const bool down = portValue(*tapPort, 0.0f) > 0.0f;
    if (down && !tapDown) {
        if (lastPress && clock > *lastPress) {
            const double bpm = 60.0 * sampleRate / static_cast<double>(clock - *lastPress);
            if (bpm >= lowestTap && bpm <= highestTap)
                TapTempo(instance, bpm);
        }
        lastPress = clock;
    }
    tapDown = down;
}

void Lv2Instance::setSessionTempo(double bpm)
{
    instance.setSessionTempo(std::clamp(bpm, lowestTempo, highestTempo));
}

void Lv2Instance::processRun(std::uint32_t frames, std::span<const TempoEvent> events)
{
    const auto* input = static_cast<const float*>(connections[kAudioInPort]);
    auto* output = static_cast<float*>(connections[kAudioOutPort]);
    inputPeak = 0.0f;
    outputPeak = 0.0f;
    std::size_t next = 0;
    for (std::uint32_t done = 0;;) {
        // A tempo takes effect at its frame: the block before it ends there.
        for (; next < events.size() && events[next].frame <= done; ++next)
            setSessionTempo(events[next].bpm);
        if (done == frames)
            break;
        std::uint32_t end = frames - done > maxBlock ? done + maxBlock : frames;
        if (next < events.size())
            end = std::min(end, events[next].frame);
        instance.process(input + done, output + done, end - done);
        inputPeak = std::max(inputPeak, instance.inputMeter());
        outputPeak = std::max(outputPeak, instance.outputMeter());
        done = end;
    }
}

void Lv2Instance::writeOutputs()
{
    for (std::uint32_t i = 0; i < ports.size(); ++i) {
        auto* value = static_cast<float*>(connections[i]);
        if (value == nullptr)
            continue;
        if (ports[i].role == PortRole::parameterOut)
            *value = static_cast<float>(instance.value(ports[i].source));
        else if (ports[i].role == PortRole::meter)
            *value = ports[i].source == 0 ? inputPeak : outputPeak;
    }
}
