// libFuzzer target: the VST3 plug-in's processor and edit controller, made
// by its factory and driven through the VST3 interfaces as a careless host
// might drive them.
//
// The bytes choose mono or stereo, the longest block and the rate, then a
// list of operations: activation on and off; blocks of 0 to the longest
// block with parameter changes (known IDs or any, any value, NaN and
// infinities included, at ordered offsets within the block) and a transport
// of any tempo or none; component states of arbitrary bytes and well-formed
// states of any codes and values, given to the processor and the
// controller; the controller's own state of arbitrary bytes; the
// controller's values (any, NaN and infinities included) and texts. A
// crash, a sanitizer report, a leak, a non-finite output sample, a value
// kept or a text read outside 0 to 1, or a state that does not read back
// as written is a finding.
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivstmessage.h>
#include <pluginterfaces/vst/ivstprocesscontext.h>
#include <public.sdk/source/common/memorystream.h>
#include <public.sdk/source/vst/hosting/hostclasses.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/anyvalue.h"
#include "host/product/rates.h"
#include "host/vst3host/parameterqueues.h"
#include "vst3/classids.h"
#include "vst3/pluginfactory.h"

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRates[] = {44100.0, 48000.0, 96000.0, 11025.0, 204000.0, 8000.0, 0.0};
constexpr int kQueues = 6;
constexpr int kPointsPerQueue = 6;

// The factory and the plug-in library it loads stay loaded for the whole
// run: libFuzzer keeps counting coverage in an instrumented library.
IPluginFactory& Factory()
{
    static IPluginFactory* const factory = TapeDelayFactory::Acquire(TAPEDELAY_PLUGIN_FILE);
    Require(factory != nullptr);
    return *factory;
}

template <class I>
IPtr<I> Make(const FUID& classId)
{
    void* object = nullptr;
    Require(Factory().createInstance(classId.toTUID(), I::iid, &object) == kResultOk);
    return owned(static_cast<I*>(object));
}

// A stream reading `bytes` in place, which must outlive it.
IPtr<MemoryStream> StreamOf(const std::vector<std::uint8_t>& bytes)
{
    return owned(new MemoryStream(const_cast<std::uint8_t*>(bytes.data()),
                                  static_cast<TSize>(bytes.size())));
}

std::vector<std::uint8_t> BytesOf(const MemoryStream& stream)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.getData());
    return data == nullptr ? std::vector<std::uint8_t>()
                           : std::vector<std::uint8_t>(data, data + stream.getSize());
}

class Driver {
public:
    explicit Driver(FuzzedDataProvider& in)
        : component(Make<IComponent>(kProcessorClass)),
          processor(FUnknownPtr<IAudioProcessor>(component)),
          controller(Make<IEditController>(kControllerClass)),
          changes(kQueues, kPointsPerQueue)
    {
        Require(processor && component->initialize(&host) == kResultOk &&
                controller->initialize(&host) == kResultOk);
        FUnknownPtr<IConnectionPoint>(component)->connect(
            FUnknownPtr<IConnectionPoint>(controller));
        FUnknownPtr<IConnectionPoint>(controller)
            ->connect(FUnknownPtr<IConnectionPoint>(component));
        for (int32 i = 0; i < controller->getParameterCount(); ++i) {
            Vst::ParameterInfo info{};
            if (controller->getParameterInfo(i, info) == kResultOk)
                ids.push_back(info.id);
        }

        channels = in.ConsumeBool() ? 2 : 1;
        SpeakerArrangement arrangement = channels == 2 ? SpeakerArr::kStereo : SpeakerArr::kMono;
        Require(processor->setBusArrangements(&arrangement, 1, &arrangement, 1) == kResultTrue);
        longest = in.ConsumeIntegralInRange<int32>(1, 2048);
        ProcessSetup setup{kRealtime, kSample32, longest, in.PickValueInArray(kRates)};
        ready = processor->setupProcessing(setup) == kResultOk;
        Require(ready == SupportedRate(setup.sampleRate));
        for (int c = 0; c < channels; ++c) {
            inputs[c].resize(static_cast<std::size_t>(longest));
            outputs[c].resize(static_cast<std::size_t>(longest));
            inputPointers[c] = inputs[c].data();
            outputPointers[c] = outputs[c].data();
        }
    }

    ~Driver()
    {
        activate(false);
        FUnknownPtr<IConnectionPoint>(component)->disconnect(
            FUnknownPtr<IConnectionPoint>(controller));
        FUnknownPtr<IConnectionPoint>(controller)
            ->disconnect(FUnknownPtr<IConnectionPoint>(component));
        controller->terminate();
        component->terminate();
    }

    // One operation; false when the input's work is used up.
    bool operate(FuzzedDataProvider& in)
    {
        switch (in.ConsumeIntegralInRange(0, 6)) {
        case 0: activate(in.ConsumeBool()); break;
        case 1: return block(in);
        case 2:
            componentState(in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 300)));
            break;
        case 3: componentState(WriteEffectState(AnyState(in, [&] { return anyId(in); }))); break;
        case 4: stateReadsBack(); break;
        case 5:
            controller->setState(
                StreamOf(in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 64))));
            break;
        default: values(in); break;
        }
        return true;
    }

private:
    ParamID anyId(FuzzedDataProvider& in)
    {
        if (in.ConsumeIntegralInRange(0, 7) == 0 || ids.empty())
            return in.ConsumeIntegral<ParamID>();
        return ids[in.ConsumeIntegralInRange<std::size_t>(0, ids.size() - 1)];
    }

    void activate(bool on)
    {
        if (!ready || on == active)
            return;
        if (on && component->setActive(true) == kResultOk) {
            active = true;
            processor->setProcessing(true);
        } else if (!on) {
            processor->setProcessing(false);
            component->setActive(false);
            active = false;
        }
    }

    // A block, when active: the changes' offsets in order within it.
    bool block(FuzzedDataProvider& in)
    {
        const int32 frames = in.ConsumeIntegralInRange<int32>(0, longest);
        work += static_cast<std::uint64_t>(frames) + 1;
        changes.clear();
        for (int q = in.ConsumeIntegralInRange(0, kQueues); q > 0; --q) {
            const ParamID id = anyId(in);
            int32 offset = 0;
            for (int p = in.ConsumeIntegralInRange(1, kPointsPerQueue); p > 0; --p) {
                offset = in.ConsumeIntegralInRange(offset, std::max(offset, frames - 1));
                changes.add(id, offset,
                            in.ConsumeBool() ? in.ConsumeProbability<double>()
                                             : AnyValue<double>(in));
            }
        }
        const float level = AnyLevel(in);
        for (int c = 0; c < channels; ++c)
            for (int32 i = 0; i < frames; ++i)
                inputs[c][static_cast<std::size_t>(i)] = AnySample(in, level);
        ProcessContext context{};
        context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid;
        context.tempo = AnyValue<double>(in);
        context.sampleRate = 48000.0;

        if (!active)
            return work < kFramesPerInput;
        AudioBusBuffers inBus{}, outBus{};
        inBus.numChannels = outBus.numChannels = channels;
        inBus.channelBuffers32 = inputPointers;
        outBus.channelBuffers32 = outputPointers;
        ProcessData data;
        data.processMode = kRealtime;
        data.symbolicSampleSize = kSample32;
        data.numSamples = frames;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.inputParameterChanges = &changes;
        data.processContext = in.ConsumeBool() ? &context : nullptr;
        Require(processor->process(data) == kResultOk);
        for (int c = 0; c < channels; ++c)
            RequireFinite<float>(outputs[c].data(), static_cast<std::size_t>(frames));
        return work < kFramesPerInput;
    }

    // Given to both halves, as a host loading a project does.
    void componentState(const std::vector<std::uint8_t>& bytes)
    {
        component->setState(StreamOf(bytes));
        controller->setComponentState(StreamOf(bytes));
    }

    // What the processor saves, it takes back and saves again unchanged.
    void stateReadsBack()
    {
        IPtr<MemoryStream> first = owned(new MemoryStream);
        Require(component->getState(first) == kResultOk);
        Require(component->setState(StreamOf(BytesOf(*first))) == kResultOk);
        IPtr<MemoryStream> second = owned(new MemoryStream);
        Require(component->getState(second) == kResultOk);
        Require(BytesOf(*first) == BytesOf(*second));
    }

    // A value set and shown, and a text read: within 0 to 1 when kept or read.
    void values(FuzzedDataProvider& in)
    {
        const ParamID id = anyId(in);
        controller->setParamNormalized(id, AnyValue<double>(in));
        const ParamValue kept = controller->getParamNormalized(id);
        Require(kept >= 0.0 && kept <= 1.0);
        String128 shown{};
        controller->getParamStringByValue(id, AnyValue<double>(in), shown);
        std::u16string text;
        for (char c : in.ConsumeRandomLengthString(40))
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
        ParamValue read = -1.0;
        if (controller->getParamValueByString(id, text.data(), read) == kResultOk)
            Require(read >= 0.0 && read <= 1.0);
        controller->normalizedParamToPlain(id, AnyValue<double>(in));
        controller->plainParamToNormalized(id, AnyValue<double>(in));
    }

    IPtr<IComponent> component;
    IPtr<IAudioProcessor> processor;
    IPtr<IEditController> controller;
    HostApplication host; // never deleted through its references
    ParameterChanges changes;
    std::vector<ParamID> ids;
    int channels = 1;
    int32 longest = 1;
    bool ready = false;
    bool active = false;
    std::uint64_t work = 0;
    std::vector<float> inputs[2], outputs[2];
    Sample32* inputPointers[2] = {nullptr, nullptr};
    Sample32* outputPointers[2] = {nullptr, nullptr};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    Driver driver(in);
    while (in.remaining_bytes() > 0 && driver.operate(in)) {
    }
    return 0;
}
