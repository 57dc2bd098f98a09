#include "vst3plugin.h"

#include <pluginterfaces/vst/ivstprocesscontext.h>
#include <public.sdk/source/vst/hosting/hostclasses.h>

#include <algorithm>
#include <vector>

#include "componenthandler.h"
#include "parameterlookup.h"
#include "parameterqueues.h"
#include "vst3editor.h"
#include "vst3instance.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

class Vst3Plugin final : public HostedPlugin {
public:
    Vst3Plugin(const HostOptions& options, const RenderSetup& render, std::ostream& log)
        : module(options.plugin),
          log(log),
          channels(static_cast<int32>(render.channels)),
          pointCapacity(options.points.size())
    {
        setup = {kOffline, kSample32, static_cast<int32>(render.longestBlock), render.rate};
        instance = std::make_unique<Vst3Instance>(module, &host, &handler);
    }

    ParameterSetting resolve(const ParameterText& setting) override
    {
        return ResolveSetting(instance->controller(), setting);
    }

    void give(std::span<const ParameterSetting> values) override
    {
        starting.assign(values.begin(), values.end());
        for (const ParameterSetting& value : starting)
            instance->controller().setParamNormalized(value.id, value.value);
    }

    void start() override
    {
        IEditController& controller = instance->controller();
        instance->start(setup, channels);

        const auto queues = static_cast<std::size_t>(std::max(controller.getParameterCount(), 1));
        inputChanges = std::make_unique<ParameterChanges>(queues, pointCapacity + kEditsPerBlock);
        outputChanges = std::make_unique<ParameterChanges>(queues, kEditsPerBlock);
    }

    void process(const HostBlock& block) override
    {
        inputChanges->clear();
        outputChanges->clear();
        // The starting values go with the first block, as a host sends the
        // values its project holds.
        for (const ParameterSetting& value : starting)
            add(value.id, 0, value.value);
        starting.clear();
        handler.takeEdits([&](ParamID id, ParamValue value) { add(id, 0, value); });
        for (const ParameterChange& change : block.changes) {
            add(change.setting.id, static_cast<int32>(change.offset), change.setting.value);
            instance->controller().setParamNormalized(change.setting.id, change.setting.value);
        }

        // A tempo per block: the vst3host command offers no tempo changes.
        ProcessContext context{};
        context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid |
                        ProcessContext::kTimeSigValid | ProcessContext::kProjectTimeMusicValid;
        context.sampleRate = setup.sampleRate;
        context.projectTimeSamples = static_cast<TSamples>(block.frame);
        context.continousTimeSamples = static_cast<TSamples>(block.frame);
        context.tempo = block.tempo;
        context.projectTimeMusic =
            static_cast<double>(block.frame) / setup.sampleRate * block.tempo / 60.0;
        context.timeSigNumerator = 4;
        context.timeSigDenominator = 4;

        AudioBusBuffers in{};
        in.numChannels = channels;
        in.channelBuffers32 = const_cast<Sample32**>(block.inputs);
        AudioBusBuffers out{};
        out.numChannels = channels;
        out.channelBuffers32 = const_cast<Sample32**>(block.outputs);
        ProcessData data;
        data.processMode = kOffline;
        data.symbolicSampleSize = kSample32;
        data.numSamples = static_cast<int32>(block.frames);
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        data.inputParameterChanges = inputChanges.get();
        data.outputParameterChanges = outputChanges.get();
        data.processContext = &context;
        const tresult result = instance->process(data);
        if (result != kResultOk)
            throw PluginFailure("the plug-in's process failed at frame " +
                                std::to_string(block.frame) + " (result " + std::to_string(result) +
                                ")");

        // What the plug-in set itself, the controller learns as a host tells it.
        for (int32 q = 0; q < outputChanges->getParameterCount(); ++q) {
            auto* queue = static_cast<ParameterQueue*>(outputChanges->getParameterData(q));
            ParamValue value = 0.0;
            if (queue->last(value))
                instance->controller().setParamNormalized(queue->getParameterId(), value);
        }
    }

    void restore() override
    {
        const Vst3State state = instance->save();
        instance.reset();
        instance = std::make_unique<Vst3Instance>(module, &host, &handler);
        instance->load(state);
        instance->start(setup, channels);
    }

    std::vector<std::string> valueLines() override
    {
        std::vector<std::string> lines;
        IEditController& controller = instance->controller();
        for (int32 i = 0; i < controller.getParameterCount(); ++i)
            if (std::string line = ParameterValueLine(controller, i); !line.empty())
                lines.push_back(std::move(line));
        return lines;
    }

    std::unique_ptr<PluginEditor> openEditor(HostWindow& window, RunLoop& loop,
                                             GestureLog& gestures) override
    {
        // Declared before the editor: it goes after it, so the view's last
        // edits (on removal) are still logged.
        struct Logged final : PluginEditor {
            Logged(ComponentHandler& handler, GestureLog& gestures, IEditController& controller)
                : handler(handler)
            {
                handler.logGestures(&gestures, &controller);
            }
            ~Logged() override { handler.logGestures(nullptr, nullptr); }
            ComponentHandler& handler;
        };
        struct Open final : PluginEditor {
            Open(ComponentHandler& handler, GestureLog& gestures, IEditController& controller,
                 HostWindow& window, RunLoop& loop, std::ostream& log)
                : logged(handler, gestures, controller),
                  editor(controller, window, loop, log)
            {}
            Logged logged;
            Vst3Editor editor;
        };
        return std::make_unique<Open>(handler, gestures, instance->controller(), window, loop, log);
    }

    // As automation: the controller told, the processor given it with the
    // next block.
    void changeFromHost(const ParameterSetting& setting) override
    {
        instance->controller().setParamNormalized(setting.id, setting.value);
        handler.keep(setting.id, setting.value);
    }

private:
    // Room per block for the controller's edits and the plug-in's own
    // changes, beyond the automation points.
    static constexpr std::size_t kEditsPerBlock = 64;

    void add(ParamID id, int32 offset, ParamValue value)
    {
        if (!inputChanges->add(id, offset, value))
            throw PluginFailure("more parameter changes in one block than the host holds");
    }

    Vst3Module module;
    std::ostream& log;
    int32 channels;
    std::size_t pointCapacity;
    HostApplication host; // never deleted through its references
    ComponentHandler handler;
    ProcessSetup setup{};
    std::unique_ptr<Vst3Instance> instance;
    std::vector<ParameterSetting> starting; // until the first block
    std::unique_ptr<ParameterChanges> inputChanges;
    std::unique_ptr<ParameterChanges> outputChanges;
};

} // namespace

std::unique_ptr<HostedPlugin> LoadVst3Plugin(const HostOptions& options, const RenderSetup& setup,
                                             std::ostream& log)
{
    return std::make_unique<Vst3Plugin>(options, setup, log);
}
