#include "processor.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "classids.h"
#include "host/product/rates.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "streambytes.h"

using namespace Steinberg;

namespace {

// Room for parameter points in one block; more are thinned (EventReader).
constexpr std::size_t kEventCapacity = 4096;

bool SupportedArrangement(Vst::SpeakerArrangement arrangement)
{
    return arrangement == Vst::SpeakerArr::kMono || arrangement == Vst::SpeakerArr::kStereo;
}

void Silence(Vst::AudioBusBuffers* buses, int32 count, int32 frames)
{
    for (int32 b = 0; buses != nullptr && b < count; ++b) {
        for (int32 c = 0; buses[b].channelBuffers32 != nullptr && c < buses[b].numChannels; ++c)
            if (buses[b].channelBuffers32[c] != nullptr)
                std::fill_n(buses[b].channelBuffers32[c], frames, 0.0f);
        buses[b].silenceFlags =
            buses[b].numChannels >= 64 ? ~uint64{0} : (uint64{1} << buses[b].numChannels) - 1;
    }
}

} // namespace

TapeDelayProcessor::TapeDelayProcessor(std::shared_ptr<LoadedProduct> loaded)
    : product(std::move(loaded)),
      reader(*product, kEventCapacity),
      ownWrites(owned(new OwnWrites(product->description.parameters.size()))),
      published(std::make_unique<std::atomic<double>[]>(product->description.parameters.size()))
{
    setControllerClass(kControllerClass);
    for (std::size_t i = 0; i < product->description.parameters.size(); ++i)
        published[i] = product->description.parameters[i].defaultValue;
}

TapeDelayProcessor::~TapeDelayProcessor() = default;

tresult PLUGIN_API TapeDelayProcessor::initialize(FUnknown* context)
{
    const tresult result = Component::initialize(context);
    if (result != kResultOk)
        return result;
    audioInputs.push_back(owned(new Vst::AudioBus(
        STR16("Input"), Vst::kMain, Vst::BusInfo::kDefaultActive, Vst::SpeakerArr::kStereo)));
    audioOutputs.push_back(owned(new Vst::AudioBus(
        STR16("Output"), Vst::kMain, Vst::BusInfo::kDefaultActive, Vst::SpeakerArr::kStereo)));
    return kResultOk;
}

tresult PLUGIN_API TapeDelayProcessor::connect(Vst::IConnectionPoint* other)
{
    const tresult result = Component::connect(other);
    if (result != kResultOk)
        return result;
    if (IPtr<Vst::IMessage> message = owned(allocateMessage())) {
        message->setMessageID(kOwnWritesMessage);
        message->getAttributes()->setInt(
            kOwnWritesAddress, static_cast<int64>(reinterpret_cast<intptr_t>(ownWrites.get())));
        sendMessage(message);
    }
    return kResultOk;
}

tresult PLUGIN_API TapeDelayProcessor::setBusArrangements(Vst::SpeakerArrangement* inputs,
                                                          int32 numIns,
                                                          Vst::SpeakerArrangement* outputs,
                                                          int32 numOuts)
{
    if (numIns != 1 || numOuts != 1 || inputs == nullptr || outputs == nullptr ||
        inputs[0] != outputs[0] || !SupportedArrangement(inputs[0]) || active ||
        audioInputs.empty() || audioOutputs.empty())
        return kResultFalse;
    static_cast<Vst::AudioBus*>(audioInputs.at(0).get())->setArrangement(inputs[0]);
    static_cast<Vst::AudioBus*>(audioOutputs.at(0).get())->setArrangement(outputs[0]);
    return kResultTrue;
}

tresult PLUGIN_API TapeDelayProcessor::getBusArrangement(Vst::BusDirection dir, int32 index,
                                                         Vst::SpeakerArrangement& arrangement)
{
    Vst::BusList* buses = getBusList(Vst::kAudio, dir);
    if (buses == nullptr || index < 0 || index >= static_cast<int32>(buses->size()))
        return kInvalidArgument;
    arrangement = static_cast<Vst::AudioBus*>(buses->at(index).get())->getArrangement();
    return kResultOk;
}

tresult PLUGIN_API TapeDelayProcessor::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == Vst::kSample32 ? kResultTrue : kResultFalse;
}

std::uint32_t TapeDelayProcessor::channelCount()
{
    Vst::SpeakerArrangement arrangement = Vst::SpeakerArr::kStereo;
    getBusArrangement(Vst::kOutput, 0, arrangement);
    return arrangement == Vst::SpeakerArr::kMono ? 1 : 2;
}

tresult PLUGIN_API TapeDelayProcessor::setupProcessing(Vst::ProcessSetup& setup)
{
    if (active || setup.symbolicSampleSize != Vst::kSample32 || setup.maxSamplesPerBlock <= 0)
        return kResultFalse;
    if (!SupportedRate(setup.sampleRate)) {
        std::fprintf(stderr, "%s\n", UnsupportedRateText(setup.sampleRate).c_str());
        return kResultFalse;
    }
    processSetup = setup;
    hasSetup = true;
    return createEffect() ? kResultOk : kResultFalse;
}

bool TapeDelayProcessor::createEffect()
{
    const EffectSettings settings{processSetup.sampleRate,
                                  static_cast<std::uint32_t>(processSetup.maxSamplesPerBlock),
                                  channelCount()};
    try {
        auto created = std::make_unique<Effect>(product->library, settings);
        if (effect)
            created->carry(*effect);
        effect = std::move(created);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return false;
    }
    handoff.take([this](const EffectState& state) { effect->restore(state); });
    publishValues();
    return true;
}

tresult PLUGIN_API TapeDelayProcessor::setActive(TBool state)
{
    if (state) {
        if (!hasSetup)
            return kResultFalse;
        const bool busesChanged = !effect || effect->settings().channels != channelCount();
        if (busesChanged && !createEffect())
            return kResultFalse;
        effect->activate();
        reader.reset();
        meters[0] = meters[1] = -1.0;
    }
    active = state != 0;
    return Component::setActive(state);
}

tresult PLUGIN_API TapeDelayProcessor::setState(IBStream* stream)
{
    const std::optional<std::vector<std::uint8_t>> bytes = ReadStream(stream);
    if (!bytes)
        return kResultFalse;
    ReadStateResult read = ReadEffectState(*bytes);
    if (!read.state)
        return kResultFalse;
    if (effect && !active) {
        effect->restore(*read.state);
        publishValues();
    } else {
        handoff.publish(std::make_unique<EffectState>(std::move(*read.state)));
    }
    return kResultOk;
}

tresult PLUGIN_API TapeDelayProcessor::getState(IBStream* stream)
{
    EffectState state;
    if (const EffectState* waiting = handoff.waiting()) {
        state = *waiting;
    } else {
        for (std::size_t i = 0; i < product->description.parameters.size(); ++i)
            state.values.emplace_back(product->description.parameters[i].identifier,
                                      published[i].load());
    }
    return WriteStream(stream, WriteEffectState(state)) ? kResultOk : kResultFalse;
}

void TapeDelayProcessor::publishValues()
{
    for (std::size_t i = 0; i < product->description.parameters.size(); ++i)
        published[i].store(HostReadable(product->description.parameters[i], effect->value(i)),
                           std::memory_order_relaxed);
    publishedRevision = effect->revision();
}

tresult PLUGIN_API TapeDelayProcessor::process(Vst::ProcessData& data)
{
    const int32 frames = std::max<int32>(data.numSamples, 0);
    if (data.symbolicSampleSize != Vst::kSample32 || !effect) {
        Silence(data.outputs, data.numOutputs, frames);
        return data.symbolicSampleSize == Vst::kSample32 ? kResultOk : kResultFalse;
    }
    handoff.take([this](const EffectState& state) {
        effect->restore(state);
        reader.reset();
    });
    const std::span<const EffectEvent> events =
        reader.read(data.inputParameterChanges, data.processContext);

    const std::uint32_t channels = effect->settings().channels;
    const float* inputs[2] = {};
    float* outputs[2] = {};
    if (data.numInputs > 0 && data.inputs != nullptr && data.inputs[0].channelBuffers32 != nullptr)
        for (std::uint32_t c = 0; c < channels && c < uint32(data.inputs[0].numChannels); ++c)
            if ((data.inputs[0].silenceFlags >> c & 1) == 0)
                inputs[c] = data.inputs[0].channelBuffers32[c];
    Vst::AudioBusBuffers* out = data.numOutputs > 0 ? data.outputs : nullptr;
    bool complete = out != nullptr && out->channelBuffers32 != nullptr;
    for (std::uint32_t c = 0; complete && c < channels; ++c) {
        complete = c < uint32(out->numChannels) && out->channelBuffers32[c] != nullptr;
        if (complete)
            outputs[c] = out->channelBuffers32[c];
    }
    if (!complete && frames > 0) {
        // Without somewhere to put its output the block cannot run.
        Silence(data.outputs, data.numOutputs, frames);
        return kResultFalse;
    }
    if (!complete) { // a parameter flush: the changes apply, no audio runs
        static float none = 0.0f;
        outputs[0] = outputs[1] = &none;
    }
    effect->run({inputs, channels}, {outputs, channels}, static_cast<std::uint32_t>(frames),
                events);

    if (complete) {
        out->silenceFlags = 0;
        for (std::uint32_t c = 0; c < channels; ++c)
            if (std::all_of(outputs[c], outputs[c] + frames, [](float s) { return s == 0.0f; }))
                out->silenceFlags |= uint64{1} << c;
    }
    writeOutputs(data.outputParameterChanges, std::max<int32>(frames - 1, 0));
    if (effect->revision() != publishedRevision)
        publishValues();
    return kResultOk;
}

void TapeDelayProcessor::writeOutputs(Vst::IParameterChanges* outputs, int32 offset)
{
    if (const std::optional<std::size_t> preset = reader.appliedPreset())
        for (const auto& [index, value] : product->presets[*preset].changes)
            postOwnWrite(outputs, index, product->scales[index].toNormalised(value), offset);
    effect->takeOwnWrites([&](std::size_t index, double value) {
        postOwnWrite(outputs, index, product->scales[index].toNormalised(value), offset);
    });
    const float peaks[2] = {effect->inputMeter(), effect->outputMeter()};
    for (std::size_t m = 0; m < 2; ++m) {
        const double normalised = peaks[m] > 0.0f ? std::min(peaks[m], 1.0f) : 0.0;
        if (normalised == meters[m] || outputs == nullptr)
            continue;
        meters[m] = normalised;
        int32 at = 0;
        if (Vst::IParamValueQueue* queue = outputs->addParameterData(kMeterParameters[m], at))
            queue->addPoint(offset, normalised, at);
    }
}

void TapeDelayProcessor::postOwnWrite(Vst::IParameterChanges* outputs, std::size_t index,
                                      double normalised, int32 offset)
{
    if (outputs != nullptr) {
        int32 at = 0;
        const Vst::ParamID id = product->description.parameters[index].identifier;
        if (Vst::IParamValueQueue* queue = outputs->addParameterData(id, at))
            queue->addPoint(offset, normalised, at);
    }
    if (!product->shown(index)) {
        ownWrites->post(index, normalised);
        reader.expectEcho(index, normalised);
    }
}
