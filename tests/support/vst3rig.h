// The VST3 plug-in's processor and edit controller, made and connected as a
// host does (without loading the module: the classes are linked in, the
// plug-in library is the built one), with host-side parameter changes, a
// transport and an edit recorder.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/vst3host/componenthandler.h"
#include "host/vst3host/parameterqueues.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "vst3/classids.h"
#include "vst3/controller.h"
#include "vst3/processor.h"

struct Vst3Rig {
    explicit Vst3Rig(double rate = 48000.0, Steinberg::int32 maxBlock = 512,
                     Steinberg::Vst::SpeakerArrangement buses = Steinberg::Vst::SpeakerArr::kMono)
        : product(std::make_shared<LoadedProduct>(TAPEDELAY_PLUGIN_FILE)),
          processor(Steinberg::owned(new TapeDelayProcessor(product))),
          controller(Steinberg::owned(new TapeDelayController(product)))
    {
        processor->initialize(&host);
        controller->initialize(&host);
        controller->setComponentHandler(&handler);
        processor->connect(controller);
        controller->connect(processor);
        Steinberg::Vst::SpeakerArrangement in = buses, out = buses;
        processor->setBusArrangements(&in, 1, &out, 1);
        channels = buses == Steinberg::Vst::SpeakerArr::kMono ? 1 : 2;
        setup = {Steinberg::Vst::kRealtime, Steinberg::Vst::kSample32, maxBlock, rate};
        started = processor->setupProcessing(setup) == Steinberg::kResultOk &&
                  processor->setActive(true) == Steinberg::kResultOk;
        context.sampleRate = rate;
    }
    ~Vst3Rig()
    {
        processor->setActive(false);
        processor->disconnect(controller);
        controller->disconnect(processor);
        controller->terminate();
        processor->terminate();
    }

    // One block through the processor, each channel (one or two) in place,
    // allocating nothing; the host's changes are cleared after it.
    Steinberg::tresult process(std::vector<std::vector<float>>& audio, std::size_t at,
                               Steinberg::int32 frames)
    {
        float* pointers[2] = {};
        for (std::size_t c = 0; c < audio.size() && c < 2; ++c)
            pointers[c] = audio[c].data() + at;
        Steinberg::Vst::AudioBusBuffers in{};
        in.numChannels = static_cast<Steinberg::int32>(std::min<std::size_t>(audio.size(), 2));
        in.channelBuffers32 = pointers;
        Steinberg::Vst::AudioBusBuffers out = in;
        Steinberg::Vst::ProcessData data;
        data.processMode = Steinberg::Vst::kRealtime;
        data.symbolicSampleSize = Steinberg::Vst::kSample32;
        data.numSamples = frames;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        data.inputParameterChanges = &changes;
        data.outputParameterChanges = &outputs;
        data.processContext = &context;
        outputs.clear();
        const Steinberg::tresult result = processor->process(data);
        changes.clear();
        silenceFlags = out.silenceFlags;
        return result;
    }

    // The processor's saved state, and the state it holds.
    std::vector<std::uint8_t> saved()
    {
        Steinberg::MemoryStream stream;
        processor->getState(&stream);
        const auto* data = reinterpret_cast<const std::uint8_t*>(stream.getData());
        return {data, data + stream.getSize()};
    }
    EffectState savedState() { return ReadEffectState(saved()).state.value_or(EffectState{}); }

    // Bytes handed to the processor's setState, or the controller's
    // setComponentState.
    Steinberg::tresult restore(std::vector<std::uint8_t> bytes, bool toController = false)
    {
        Steinberg::MemoryStream stream(bytes.data(), static_cast<Steinberg::TSize>(bytes.size()));
        return toController ? controller->setComponentState(&stream) : processor->setState(&stream);
    }

    // The value the last block sent out for a parameter ID, or NaN.
    double sent(Steinberg::Vst::ParamID id)
    {
        Steinberg::Vst::ParamValue value = std::nan("");
        for (Steinberg::int32 q = 0; q < outputs.getParameterCount(); ++q)
            if (outputs.getParameterData(q)->getParameterId() == id)
                static_cast<ParameterQueue*>(outputs.getParameterData(q))->last(value);
        return value;
    }

    // A normalised value for a parameter ID at an offset of the next block.
    void change(Steinberg::Vst::ParamID id, double normalised, Steinberg::int32 offset = 0)
    {
        changes.add(id, offset, normalised);
    }

    Steinberg::Vst::HostApplication host; // not reference-counted
    std::shared_ptr<LoadedProduct> product;
    Steinberg::IPtr<TapeDelayProcessor> processor;
    Steinberg::IPtr<TapeDelayController> controller;
    ComponentHandler handler;
    ParameterChanges changes{32, 256};
    ParameterChanges outputs{32, 8};
    Steinberg::Vst::ProcessSetup setup{};
    Steinberg::Vst::ProcessContext context{};
    std::size_t channels = 1;
    bool started = false;
    Steinberg::uint64 silenceFlags = 0;
};
