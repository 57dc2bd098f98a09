#include "vst3instance.h"

#include <pluginterfaces/vst/ivstmessage.h>
#include <public.sdk/source/common/memorystream.h>

#include <cmath>
#include <string>

#include "host/pluginhost/hosterrors.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

void require(tresult result, const std::string& call)
{
    if (result != kResultOk)
        throw PluginFailure("the plug-in refused " + call + " (result " + std::to_string(result) +
                            ")");
}

IPtr<MemoryStream> streamOf(const std::vector<char>& bytes)
{
    IPtr<MemoryStream> stream = owned(new MemoryStream);
    int32 written = 0;
    stream->write(const_cast<char*>(bytes.data()), static_cast<int32>(bytes.size()), &written);
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    return stream;
}

std::vector<char> bytesOf(const MemoryStream& stream)
{
    const char* data = stream.getData();
    return data == nullptr ? std::vector<char>() : std::vector<char>(data, data + stream.getSize());
}

} // namespace

Vst3Instance::Vst3Instance(const Vst3Module& module, FUnknown* hostContext,
                           IComponentHandler* handler)
{
    component = module.factory().createInstance<IComponent>(module.effect().ID());
    if (!component)
        throw PluginFailure("the plug-in's factory made no component");
    require(component->initialize(hostContext), "IComponent::initialize");
    processor = FUnknownPtr<IAudioProcessor>(component);
    if (!processor) {
        component->terminate();
        throw PluginFailure("the plug-in's component is no audio processor");
    }

    // The controller is the component itself or an object of its own.
    editController = FUnknownPtr<IEditController>(component);
    TUID controllerId;
    if (!editController && component->getControllerClassId(controllerId) == kResultOk) {
        editController =
            module.factory().createInstance<IEditController>(VST3::UID::fromTUID(controllerId));
        separateController = editController != nullptr;
        if (separateController && editController->initialize(hostContext) != kResultOk) {
            editController = nullptr;
            separateController = false;
        }
    }
    if (!editController) {
        component->terminate();
        throw PluginFailure("the plug-in has no edit controller");
    }
    editController->setComponentHandler(handler);

    if (separateController) {
        FUnknownPtr<IConnectionPoint> fromComponent(component);
        FUnknownPtr<IConnectionPoint> fromController(editController);
        if (fromComponent && fromController) {
            fromComponent->connect(fromController);
            fromController->connect(fromComponent);
            connected = true;
        }
    }

    // The controller learns the component's starting state, as a host
    // tells it after creating both.
    IPtr<MemoryStream> state = owned(new MemoryStream);
    if (component->getState(state) == kResultOk) {
        state->seek(0, IBStream::kIBSeekSet, nullptr);
        editController->setComponentState(state);
    }
}

Vst3Instance::~Vst3Instance()
{
    stop();
    if (connected) {
        FUnknownPtr<IConnectionPoint> fromComponent(component);
        FUnknownPtr<IConnectionPoint> fromController(editController);
        fromComponent->disconnect(fromController);
        fromController->disconnect(fromComponent);
    }
    editController->setComponentHandler(nullptr);
    if (separateController)
        editController->terminate();
    editController = nullptr;
    processor = nullptr;
    component->terminate();
}

void Vst3Instance::load(const Vst3State& state)
{
    require(component->setState(streamOf(state.component)), "IComponent::setState");
    require(editController->setComponentState(streamOf(state.component)),
            "IEditController::setComponentState");
    if (separateController)
        require(editController->setState(streamOf(state.controller)), "IEditController::setState");
}

Vst3State Vst3Instance::save()
{
    Vst3State state;
    IPtr<MemoryStream> stream = owned(new MemoryStream);
    require(component->getState(stream), "IComponent::getState");
    state.component = bytesOf(*stream);
    if (separateController) {
        stream = owned(new MemoryStream);
        require(editController->getState(stream), "IEditController::getState");
        state.controller = bytesOf(*stream);
    }
    return state;
}

void Vst3Instance::start(const ProcessSetup& setup, int32 channels)
{
    if (component->getBusCount(kAudio, kInput) < 1 || component->getBusCount(kAudio, kOutput) < 1)
        throw PluginFailure("the plug-in has no audio input or output bus");
    SpeakerArrangement in = channels == 2 ? SpeakerArr::kStereo : SpeakerArr::kMono;
    SpeakerArrangement out = in;
    SpeakerArrangement taken = 0;
    if (processor->setBusArrangements(&in, 1, &out, 1) != kResultOk ||
        processor->getBusArrangement(kOutput, 0, taken) != kResultOk || taken != out)
        throw PluginFailure(std::string("the plug-in does not take ") +
                            (channels == 2 ? "a stereo" : "a mono") + " bus");
    require(component->activateBus(kAudio, kInput, 0, true), "IComponent::activateBus (input)");
    require(component->activateBus(kAudio, kOutput, 0, true), "IComponent::activateBus (output)");
    require(processor->canProcessSampleSize(kSample32), "32-bit float processing");
    ProcessSetup copy = setup;
    if (processor->setupProcessing(copy) != kResultOk)
        throw HostInputError(
            "the plug-in does not run at " + std::to_string(std::lround(setup.sampleRate)) +
            " Hz in blocks of up to " + std::to_string(setup.maxSamplesPerBlock) + " frames");
    require(component->setActive(true), "IComponent::setActive");
    active = true;
    // Some plug-ins answer kNotImplemented here and process all the same.
    const tresult on = processor->setProcessing(true);
    if (on != kResultOk && on != kNotImplemented)
        require(on, "IAudioProcessor::setProcessing");
    processing = true;
}

void Vst3Instance::stop()
{
    if (processing)
        processor->setProcessing(false);
    if (active)
        component->setActive(false);
    processing = active = false;
}
