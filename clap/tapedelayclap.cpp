#include "tapedelayclap.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "gui.h"
#include "host/product/rates.h"
#include "streams.h"

namespace {

// Room for events in one run; a block with more runs in several.
constexpr std::size_t kEventCapacity = 4096;
// The core's longest run: a host may promise blocks of any length, and the
// core splits longer ones without a change in sound.
constexpr std::uint32_t kLongestRun = 8192;

bool AllZero(const float* samples, std::uint32_t frames)
{
    return std::all_of(samples, samples + frames, [](float s) { return s == 0.0f; });
}

} // namespace

TapeDelayClap::TapeDelayClap(std::shared_ptr<ClapModule> shared, const clap_host_t* host,
                             std::uint32_t channels)
    : module(std::move(shared)),
      clapHost(host),
      channelCount(channels),
      input(module->parameters, kEventCapacity),
      published(std::make_unique<std::atomic<double>[]>(module->parameters.count())),
      gestures(module->parameters.count()),
      gestureEvents(module->parameters),
      editorGestures(module->product, module->parameters, gestures, services)
{
    pending.values.resize(module->product.description.parameters.size());
    for (std::uint32_t p = 0; p < module->parameters.count(); ++p)
        published[p] = module->parameters.at(p)->info.default_value;
}

TapeDelayClap::~TapeDelayClap() = default;

bool TapeDelayClap::createGui()
{
    if (editorGui)
        return false;
    editorGui = ClapGui::Create(*this);
    return editorGui != nullptr;
}

void TapeDelayClap::destroyGui()
{
    editorGui.reset();
}

bool TapeDelayClap::init()
{
    services.connect(clapHost);
    return true;
}

bool TapeDelayClap::activate(double sampleRate, std::uint32_t maxFrames)
{
    if (active || !services.onMainThread("activate"))
        return false;
    if (!SupportedRate(sampleRate)) {
        services.log(CLAP_LOG_ERROR, UnsupportedRateText(sampleRate).c_str());
        return false;
    }
    const EffectSettings settings{sampleRate, std::clamp<std::uint32_t>(maxFrames, 1, kLongestRun),
                                  channelCount};
    if (!effect || effect->settings().sampleRate != settings.sampleRate ||
        effect->settings().maxBlockFrames != settings.maxBlockFrames) {
        try {
            auto created = std::make_unique<Effect>(module->product.library, settings);
            if (effect) {
                created->carry(*effect);
            } else {
                if (pending.state)
                    created->restore(*pending.state);
                for (std::size_t i = 0; i < pending.values.size(); ++i)
                    if (pending.values[i])
                        created->set(i, *pending.values[i]);
            }
            effect = std::move(created);
        } catch (const std::exception& failure) {
            services.log(CLAP_LOG_ERROR, failure.what());
            return false;
        }
        pending.state.reset();
        std::fill(pending.values.begin(), pending.values.end(), std::nullopt);
    }
    effect->activate();
    input.reset();
    sentMeters[0] = sentMeters[1] = -1.0;
    active = true;
    publish();
    return true;
}

void TapeDelayClap::deactivate()
{
    active = false;
}

void TapeDelayClap::reset()
{
    if (effect) {
        effect->activate();
        input.reset();
    }
}

clap_process_status TapeDelayClap::process(const clap_process_t& process)
{
    if (!active || !effect)
        return CLAP_PROCESS_ERROR;
    handoff.take([this](const EffectState& state) {
        effect->restore(state);
        input.reset();
    });
    const std::uint32_t frames = process.frames_count;
    const float* inputs[2] = {};
    float* outputs[2] = {};
    if (process.audio_inputs_count > 0 && process.audio_inputs != nullptr &&
        process.audio_inputs[0].data32 != nullptr)
        for (std::uint32_t c = 0; c < channelCount && c < process.audio_inputs[0].channel_count;
             ++c)
            inputs[c] = process.audio_inputs[0].data32[c];
    clap_audio_buffer_t* out = process.audio_outputs_count > 0 ? process.audio_outputs : nullptr;
    bool complete = out != nullptr && out->data32 != nullptr && out->channel_count >= channelCount;
    for (std::uint32_t c = 0; complete && c < channelCount; ++c) {
        outputs[c] = out->data32[c];
        complete = outputs[c] != nullptr;
    }
    if (!complete && frames > 0)
        return CLAP_PROCESS_ERROR; // nowhere to put the block
    run(gestureEvents.take(gestures, process.in_events, process.out_events), process.transport,
        inputs, outputs, frames);
    meterPeaks[0].raise(peaks[0]);
    meterPeaks[1].raise(peaks[1]);
    if (complete) {
        out->constant_mask = 0;
        for (std::uint32_t c = 0; c < channelCount; ++c)
            if (AllZero(outputs[c], frames))
                out->constant_mask |= std::uint64_t{1} << c;
    }
    writeOutputs(process.out_events, frames > 0 ? frames - 1 : 0);
    publishChanges();
    return CLAP_PROCESS_CONTINUE;
}

void TapeDelayClap::run(const clap_input_events_t* in, const clap_event_transport_t* transport,
                        const float* const* inputs, float* const* outputs, std::uint32_t frames)
{
    peaks[0] = peaks[1] = 0.0f;
    input.begin(in, transport);
    for (std::uint32_t from = 0;;) {
        std::uint32_t end = frames;
        const std::span<const EffectEvent> events = input.next(from, frames, end);
        const float* runInputs[2] = {};
        float* runOutputs[2] = {};
        for (std::uint32_t c = 0; c < channelCount; ++c) {
            runInputs[c] = inputs[c] != nullptr ? inputs[c] + from : nullptr;
            runOutputs[c] = outputs[c] != nullptr ? outputs[c] + from : nullptr;
        }
        effect->run({runInputs, channelCount}, {runOutputs, channelCount}, end - from, events);
        peaks[0] = std::max(peaks[0], effect->inputMeter());
        peaks[1] = std::max(peaks[1], effect->outputMeter());
        from = end;
        if (from == frames && input.exhausted())
            break;
    }
}

void TapeDelayClap::writeOutputs(const clap_output_events_t* out, std::uint32_t time)
{
    effect->takeOwnWrites([&](std::size_t index, double value) {
        post(out, *module->parameters.at(static_cast<std::uint32_t>(index)), value, time);
    });
    for (std::size_t m = 0; m < 2; ++m) {
        const double peak = std::min(static_cast<double>(peaks[m]), 1.0);
        if (peak == sentMeters[m])
            continue;
        sentMeters[m] = peak;
        post(out, module->parameters.meter(m), peak, time);
    }
}

void TapeDelayClap::post(const clap_output_events_t* out, const ClapParameter& parameter,
                         double value, std::uint32_t time) const
{
    // A value the plug-in computes may be no number or out of range (a BPM
    // from a delay of 0): hosts get one within the range or none.
    if (out == nullptr || out->try_push == nullptr || std::isnan(value))
        return;
    clap_event_param_value_t event{};
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = parameter.info.id;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = std::clamp(value, parameter.info.min_value, parameter.info.max_value);
    out->try_push(out, &event.header);
}

bool TapeDelayClap::value(clap_id id, double* value) const
{
    const ClapParameter* parameter = module->parameters.find(id);
    if (parameter == nullptr || value == nullptr)
        return false;
    *value = published[module->parameters.position(*parameter)].load(std::memory_order_relaxed);
    return true;
}

void TapeDelayClap::flush(const clap_input_events_t* hostEvents, const clap_output_events_t* out)
{
    const clap_input_events_t* in = gestureEvents.take(gestures, hostEvents, out);
    if (!effect) {
        keepPending(in);
        return;
    }
    const float* const inputs[2] = {};
    float* const outputs[2] = {};
    run(in, nullptr, inputs, outputs, 0);
    writeOutputs(out, 0);
    publish();
}

void TapeDelayClap::keepPending(const clap_input_events_t* in)
{
    input.begin(in, nullptr);
    for (std::uint32_t end = 0; !input.exhausted();)
        for (const EffectEvent& event : input.next(0, 0, end))
            if (event.kind == EffectEvent::Kind::change && !std::isnan(event.value)) {
                const ClapParameter& parameter = *module->parameters.at(event.index);
                const double value =
                    std::clamp(event.value, parameter.info.min_value, parameter.info.max_value);
                pending.values[event.index] = value;
                published[event.index] = value;
            }
}

bool TapeDelayClap::save(const clap_ostream_t* stream) const
{
    if (!services.onMainThread("state save"))
        return false;
    EffectState state;
    if (const EffectState* waiting = handoff.waiting()) {
        state = *waiting;
    } else {
        const std::vector<ParameterInfo>& own = module->product.description.parameters;
        for (std::size_t i = 0; i < own.size(); ++i)
            state.values.emplace_back(own[i].identifier, published[i].load());
    }
    return WriteStream(stream, WriteEffectState(state));
}

bool TapeDelayClap::load(const clap_istream_t* stream)
{
    if (!services.onMainThread("state load"))
        return false;
    const std::optional<std::vector<std::uint8_t>> bytes = ReadStream(stream);
    if (!bytes) {
        services.log(CLAP_LOG_ERROR, "the saved state could not be read");
        return false;
    }
    ReadStateResult read = ReadEffectState(*bytes);
    if (!read.state) {
        services.log(CLAP_LOG_ERROR, ("the saved state is refused: " + read.refusal).c_str());
        return false;
    }
    if (!effect) {
        std::fill(pending.values.begin(), pending.values.end(), std::nullopt);
        publish(*read.state);
        pending.state = std::move(read.state);
    } else if (!active) {
        effect->restore(*read.state);
        publish();
    } else {
        publish(*read.state);
        handoff.publish(std::make_unique<EffectState>(std::move(*read.state)));
    }
    services.valuesChanged();
    return true;
}

void TapeDelayClap::publish()
{
    const std::vector<ParameterInfo>& own = module->product.description.parameters;
    for (std::size_t i = 0; i < effect->parameterCount(); ++i)
        published[i].store(HostReadable(own[i], effect->hostValue(i)), std::memory_order_relaxed);
    publishedRevision = effect->revision();
    publishMeters();
}

void TapeDelayClap::publishChanges()
{
    if (effect->revision() != publishedRevision)
        publish();
    else
        publishMeters();
}

void TapeDelayClap::publishMeters()
{
    for (std::size_t m = 0; m < 2; ++m)
        published[module->parameters.position(module->parameters.meter(m))].store(
            std::max(sentMeters[m], 0.0), std::memory_order_relaxed);
}

void TapeDelayClap::publish(const EffectState& state)
{
    const std::vector<ParameterInfo>& own = module->product.description.parameters;
    for (const auto& [code, stored] : state.values) {
        const std::size_t i = module->product.indexOf(code);
        if (i < own.size() && std::isfinite(stored))
            published[i].store(std::clamp(stored, own[i].minValue, own[i].maxValue));
    }
}
