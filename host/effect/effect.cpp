#include "effect.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

#include "defaultfloatingpoint.h"
#include "host/product/parametercodes.h"
#include "host/product/tempo.h"

namespace {

// A parameter's range, or every finite value when the plug-in lacks it.
std::pair<double, double> rangeOf(const PluginDescription& description, const char* code)
{
    if (const std::optional<std::size_t> index = description.find(code))
        return {description.parameters[*index].minValue, description.parameters[*index].maxValue};
    return {0.0, std::numeric_limits<double>::max()};
}

std::uint32_t dueFrame(const EffectEvent& event, std::uint32_t frames)
{
    return std::min(event.frame, frames);
}

} // namespace

struct Effect::Impl {
    Impl(PluginLibrary& library, const EffectSettings& settings);

    // The helpers of run: [audio] no allocation; what they throw, run
    // catches.
    // The first run's start: its changes and tempos at frame 0 join the
    // host's values, which go in where they differ from the plug-in's.
    void start(std::span<const EffectEvent> events);
    // The events due at frame, changes then taps then tempos; at the start,
    // the taps only.
    void apply(std::span<const EffectEvent> events, std::uint32_t frame, std::uint32_t frames,
               bool started);
    void change(std::size_t index, double value);
    void tap(bool down, std::uint64_t at);
    void setSessionTempo(double bpm);
    void process(std::span<const float* const> inputs, std::span<float* const> outputs,
                 std::uint32_t from, std::uint32_t to);

    // [any] no allocation, no throw: a change the host may make.
    bool settable(std::size_t index, double value) const;

    EffectSettings settings;
    std::vector<std::unique_ptr<PluginInstance>> channels;
    const PluginDescription& description;
    std::vector<double> host;                  // the host's view, by index
    std::vector<StartingValue> startingValues; // room for every parameter
    std::vector<double> restored;              // room for every parameter
    std::vector<float> silence;                // a null input, maxBlockFrames
    std::vector<float> discarded;              // a null output, maxBlockFrames
    double lowestTempo = 0.0;                  // the session tempo's range
    double highestTempo = 0.0;
    double lowestTap = 0.0; // the tapped tempo's range
    double highestTap = 0.0;
    double sessionTempo = kDefaultSessionTempo;
    std::uint64_t hostRevision = 0; // moves with every change of the host's view

    bool starting = true;
    bool failed = false;
    bool tapPrimed = false; // a Tap value was seen since construction or restore
    bool tapDown = false;
    std::optional<std::uint64_t> lastPress; // in frames
    std::uint64_t clock = 0;                // frames run so far
    float inputPeak = 0.0f;
    float outputPeak = 0.0f;
};

namespace {

std::vector<std::unique_ptr<PluginInstance>> makeChannels(PluginLibrary& library,
                                                          const EffectSettings& settings)
{
    if (settings.channels != 1 && settings.channels != 2)
        throw std::invalid_argument("the tape delay runs one or two channels");
    std::vector<std::unique_ptr<PluginInstance>> channels;
    for (std::uint32_t c = 0; c < settings.channels; ++c)
        channels.push_back(std::make_unique<PluginInstance>(
            library,
            InstanceSettings{settings.sampleRate, settings.maxBlockFrames, kDefaultSessionTempo}));
    return channels;
}

} // namespace

Effect::Impl::Impl(PluginLibrary& library, const EffectSettings& settings)
    : settings(settings),
      channels(makeChannels(library, settings)),
      description(channels.front()->description()),
      silence(settings.maxBlockFrames, 0.0f),
      discarded(settings.maxBlockFrames)
{
    const PluginInstance& first = *channels.front();
    for (std::size_t i = 0; i < first.parameterCount(); ++i)
        host.push_back(first.value(i));
    startingValues.reserve(host.size());
    restored.resize(host.size());
    std::tie(lowestTempo, highestTempo) = rangeOf(description, kShownSessionTempo);
    std::tie(lowestTap, highestTap) = rangeOf(description, kTempo);
    sessionTempo = std::clamp(kDefaultSessionTempo, lowestTempo, highestTempo);
}

bool Effect::Impl::settable(std::size_t index, double value) const
{
    return index < host.size() && description.parameters[index].automate && !std::isnan(value);
}

void Effect::Impl::start(std::span<const EffectEvent> events)
{
    for (const EffectEvent& event : events)
        if (event.frame == 0 && event.kind == EffectEvent::Kind::change &&
            settable(event.index, event.value))
            host[event.index] =
                std::clamp(event.value, description.parameters[event.index].minValue,
                           description.parameters[event.index].maxValue);
    ++hostRevision; // the changes at frame 0 joined the host's view
    for (const EffectEvent& event : events)
        if (event.frame == 0 && event.kind == EffectEvent::Kind::tempo)
            setSessionTempo(event.value);
    startingValues.clear();
    for (std::size_t i = 0; i < host.size(); ++i)
        if (description.parameters[i].automate && host[i] != channels.front()->value(i))
            startingValues.emplace_back(i, host[i]);
    for (const std::unique_ptr<PluginInstance>& channel : channels)
        channel->start(startingValues);
    starting = false;
}

void Effect::Impl::apply(std::span<const EffectEvent> events, std::uint32_t frame,
                         std::uint32_t frames, bool started)
{
    for (const EffectEvent::Kind kind :
         {EffectEvent::Kind::change, EffectEvent::Kind::tap, EffectEvent::Kind::tempo}) {
        if (started && kind != EffectEvent::Kind::tap)
            continue;
        for (const EffectEvent& event : events) {
            if (event.kind != kind || dueFrame(event, frames) != frame)
                continue;
            if (kind == EffectEvent::Kind::change)
                change(event.index, event.value);
            else if (kind == EffectEvent::Kind::tap)
                tap(event.value > 0.5, clock + frame);
            else
                setSessionTempo(event.value);
        }
    }
}

void Effect::Impl::change(std::size_t index, double value)
{
    if (!settable(index, value))
        return;
    const ParameterInfo& parameter = description.parameters[index];
    host[index] = std::clamp(value, parameter.minValue, parameter.maxValue);
    ++hostRevision;
    for (const std::unique_ptr<PluginInstance>& channel : channels)
        channel->change(index, host[index]);
}

void Effect::Impl::tap(bool down, std::uint64_t at)
{
    const bool press = tapPrimed && down && !tapDown;
    tapPrimed = true;
    tapDown = down;
    if (!press)
        return;
    if (lastPress && at > *lastPress) {
        const double bpm = 60.0 * settings.sampleRate / static_cast<double>(at - *lastPress);
        if (bpm >= lowestTap && bpm <= highestTap)
            for (const std::unique_ptr<PluginInstance>& channel : channels)
                TapTempo(*channel, bpm);
    }
    lastPress = at;
}

void Effect::Impl::setSessionTempo(double bpm)
{
    if (std::isnan(bpm))
        return;
    sessionTempo = std::clamp(bpm, lowestTempo, highestTempo);
    for (const std::unique_ptr<PluginInstance>& channel : channels)
        channel->setSessionTempo(sessionTempo);
}

void Effect::Impl::process(std::span<const float* const> inputs, std::span<float* const> outputs,
                           std::uint32_t from, std::uint32_t to)
{
    for (std::size_t c = 0; c < channels.size(); ++c) {
        const float* input =
            c < inputs.size() && inputs[c] != nullptr ? inputs[c] + from : silence.data();
        float* output =
            c < outputs.size() && outputs[c] != nullptr ? outputs[c] + from : discarded.data();
        PluginInstance& channel = *channels[c];
        channel.process(input, output, to - from);
        inputPeak = std::max(inputPeak, channel.inputMeter());
        outputPeak = std::max(outputPeak, channel.outputMeter());
    }
}

double HostReadable(const ParameterInfo& parameter, double value)
{
    return std::isnan(value) ? parameter.defaultValue
                             : std::clamp(value, parameter.minValue, parameter.maxValue);
}

// Every call that reaches the plug-in runs with the default floating-point
// modes: its set-up and its handlers compute coefficients too.
Effect::Effect(PluginLibrary& library, const EffectSettings& settings)
{
    const DefaultFloatingPoint modes;
    impl = std::make_unique<Impl>(library, settings);
}

Effect::~Effect() = default;

const PluginDescription& Effect::description() const
{
    return impl->description;
}

std::size_t Effect::parameterCount() const
{
    return impl->host.size();
}

const EffectSettings& Effect::settings() const
{
    return impl->settings;
}

double Effect::value(std::size_t index) const
{
    return index < impl->host.size() ? impl->channels.front()->value(index) : 0.0;
}

double Effect::hostValue(std::size_t index) const
{
    return index < impl->host.size() ? impl->host[index] : 0.0;
}

std::uint64_t Effect::revision() const
{
    return impl->hostRevision + impl->channels.front()->valueRevision();
}

void Effect::set(std::size_t index, double value)
{
    Impl& s = *impl;
    if (s.starting) {
        if (s.settable(index, value))
            s.host[index] = std::clamp(value, s.description.parameters[index].minValue,
                                       s.description.parameters[index].maxValue);
        ++s.hostRevision;
        return;
    }
    const DefaultFloatingPoint modes;
    try {
        s.change(index, value);
    } catch (...) {
        s.failed = true;
    }
}

void Effect::activate()
{
    impl->starting = true;
}

void Effect::run(std::span<const float* const> inputs, std::span<float* const> outputs,
                 std::uint32_t frames, std::span<const EffectEvent> events)
{
    Impl& s = *impl;
    s.inputPeak = 0.0f;
    s.outputPeak = 0.0f;
    if (!s.failed) {
        const DefaultFloatingPoint modes;
        try {
            const bool starting = s.starting;
            if (starting)
                s.start(events);
            for (std::uint32_t done = 0;;) {
                s.apply(events, done, frames, starting && done == 0);
                if (done == frames)
                    break;
                // A block ends where the next event is due.
                std::uint32_t end = frames - done > s.settings.maxBlockFrames
                                        ? done + s.settings.maxBlockFrames
                                        : frames;
                for (const EffectEvent& event : events)
                    if (const std::uint32_t due = dueFrame(event, frames); due > done)
                        end = std::min(end, due);
                s.process(inputs, outputs, done, end);
                done = end;
            }
        } catch (...) {
            s.failed = true; // the plug-in broke its contract: silence from now on
        }
    }
    if (s.failed) {
        s.inputPeak = 0.0f;
        s.outputPeak = 0.0f;
        for (float* output : outputs.first(std::min(outputs.size(), s.channels.size())))
            if (output != nullptr)
                std::fill_n(output, frames, 0.0f);
    }
    s.clock += frames;
}

float Effect::inputMeter() const
{
    return impl->inputPeak;
}

float Effect::outputMeter() const
{
    return impl->outputPeak;
}

bool Effect::failed() const
{
    return impl->failed;
}

void Effect::adopt(std::size_t index)
{
    impl->host[index] = value(index);
    ++impl->hostRevision;
}

EffectState Effect::state() const
{
    EffectState state;
    for (std::size_t i = 0; i < impl->host.size(); ++i)
        state.values.emplace_back(impl->description.parameters[i].identifier, value(i));
    return state;
}

void Effect::restore(const EffectState& state)
{
    Impl& s = *impl;
    for (std::size_t i = 0; i < s.restored.size(); ++i)
        s.restored[i] = value(i);
    for (const auto& [code, stored] : state.values) {
        if (!std::isfinite(stored))
            continue;
        for (std::size_t i = 0; i < s.restored.size(); ++i) {
            const ParameterInfo& parameter = s.description.parameters[i];
            if (parameter.identifier == code)
                s.restored[i] = std::clamp(stored, parameter.minValue, parameter.maxValue);
        }
    }
    const DefaultFloatingPoint modes;
    try {
        for (const std::unique_ptr<PluginInstance>& channel : s.channels)
            channel->restore(s.restored);
    } catch (...) {
        s.failed = true;
    }
    s.host = s.restored;
    ++s.hostRevision;
    s.tapPrimed = false;
    s.tapDown = false;
    s.lastPress.reset();
}

void Effect::carry(const Effect& previous)
{
    restore(previous.state());
    for (std::size_t i = 0; i < parameterCount(); ++i)
        if (previous.hostValue(i) != previous.value(i))
            set(i, previous.hostValue(i));
}
