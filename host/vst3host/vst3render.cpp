#include "vst3render.h"

#include <pluginterfaces/vst/ivstprocesscontext.h>
#include <public.sdk/source/vst/hosting/hostclasses.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "blocksizes.h"
#include "componenthandler.h"
#include "host/audio/audiofile.h"
#include "parameterlookup.h"
#include "parameterqueues.h"
#include "vst3instance.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::string shown(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", seconds);
    return text;
}

struct DuePoint {
    std::uint64_t frame = 0;
    ResolvedSetting setting;
    const AutomationPoint* given = nullptr;
};

// The starting values in the controller's parameter order; of a parameter
// given twice, the last.
std::vector<ResolvedSetting> startingValues(IEditController& controller,
                                            const std::vector<ParameterText>& given)
{
    std::vector<ResolvedSetting> values;
    for (const ParameterText& text : given) {
        const ResolvedSetting setting = ResolveSetting(controller, text);
        std::erase_if(values, [&](const ResolvedSetting& v) { return v.id == setting.id; });
        values.push_back(setting);
    }
    std::stable_sort(values.begin(), values.end(),
                     [](const auto& a, const auto& b) { return a.index < b.index; });
    return values;
}

// The points by their frame; those due at the same frame in the order given.
std::vector<DuePoint> duePoints(IEditController& controller,
                                const std::vector<AutomationPoint>& points, double rate)
{
    std::vector<DuePoint> due;
    for (const AutomationPoint& point : points)
        due.push_back({static_cast<std::uint64_t>(std::floor(point.seconds * rate)),
                       ResolveSetting(controller, point.setting), &point});
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a.frame < b.frame; });
    return due;
}

std::size_t readBlock(AudioSource& source, float* interleaved, std::size_t frames,
                      std::size_t channels)
{
    std::size_t got = 0;
    while (got < frames) {
        const std::size_t n = source.read(interleaved + got * channels, frames - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

class Render {
public:
    Render(const HostOptions& options, AudioSource& source)
        : options(options),
          module(options.bundle),
          channels(static_cast<int32>(source.channels())),
          source(source),
          blocks(options.blockFrames, options.randomBlocksSeed)
    {
        setup = {kOffline, kSample32, static_cast<int32>(options.blockFrames), source.sampleRate()};
        instance = std::make_unique<Vst3Instance>(module, &host, &handler);
        IEditController& controller = instance->controller();
        starting = startingValues(controller, options.starting);
        for (const ResolvedSetting& value : starting)
            controller.setParamNormalized(value.id, value.normalized);
        points = duePoints(controller, options.points, setup.sampleRate);
        instance->start(setup, channels);

        const auto queues = static_cast<std::size_t>(std::max(controller.getParameterCount(), 1));
        inputChanges = std::make_unique<ParameterChanges>(queues, points.size() + kEditsPerBlock);
        outputChanges = std::make_unique<ParameterChanges>(queues, kEditsPerBlock);
        interleaved.resize(std::size_t{options.blockFrames} * source.channels());
        for (int32 c = 0; c < channels; ++c) {
            inputs[c].resize(options.blockFrames);
            outputs[c].resize(options.blockFrames);
            inputPointers[c] = inputs[c].data();
            outputPointers[c] = outputs[c].data();
        }
    }

    // Runs the whole input into sink.
    void run(AudioSink& sink)
    {
        std::optional<std::uint64_t> restoreAt;
        if (options.saveRestoreSeconds)
            restoreAt = static_cast<std::uint64_t>(
                std::floor(*options.saveRestoreSeconds * setup.sampleRate));
        for (bool first = true;; first = false) {
            if (restoreAt && frame == *restoreAt) {
                restore();
                restoreAt.reset();
            }
            std::uint64_t frames = blocks.next();
            if (restoreAt)
                frames = std::min(frames, *restoreAt - frame);
            const std::size_t got = readBlock(source, interleaved.data(),
                                              static_cast<std::size_t>(frames), source.channels());
            if (got == 0)
                break;
            process(static_cast<int32>(got), first);
            sink.write(interleaved.data(), got);
            frame += got;
        }
        if (restoreAt)
            throw HostInputError("--save-restore " + shown(*options.saveRestoreSeconds) +
                                 ": past the end of the input (" + std::to_string(frame) +
                                 " frames)");
    }

    // The points that never fell due.
    std::vector<const AutomationPoint*> pointsAfterEnd() const
    {
        std::vector<const AutomationPoint*> late;
        for (std::size_t i = nextPoint; i < points.size(); ++i)
            late.push_back(points[i].given);
        return late;
    }

    IEditController& controller() { return instance->controller(); }

private:
    // Room per block for the controller's edits and the plug-in's own
    // changes, beyond the automation points.
    static constexpr std::size_t kEditsPerBlock = 64;

    void add(ParamID id, int32 offset, ParamValue value)
    {
        if (!inputChanges->add(id, offset, value))
            throw PluginFailure("more parameter changes in one block than the host holds");
    }

    void process(int32 frames, bool first)
    {
        for (std::size_t i = 0; i < static_cast<std::size_t>(frames); ++i)
            for (int32 c = 0; c < channels; ++c)
                inputs[c][i] = interleaved[i * source.channels() + static_cast<std::size_t>(c)];

        inputChanges->clear();
        outputChanges->clear();
        if (first)
            for (const ResolvedSetting& value : starting)
                add(value.id, 0, value.normalized);
        handler.takeEdits([&](ParamID id, ParamValue value) { add(id, 0, value); });
        for (; nextPoint < points.size() && points[nextPoint].frame < frame + frames; ++nextPoint) {
            const DuePoint& point = points[nextPoint];
            add(point.setting.id, static_cast<int32>(point.frame - frame),
                point.setting.normalized);
            instance->controller().setParamNormalized(point.setting.id, point.setting.normalized);
        }

        ProcessContext context{};
        context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid |
                        ProcessContext::kTimeSigValid | ProcessContext::kProjectTimeMusicValid;
        context.sampleRate = setup.sampleRate;
        context.projectTimeSamples = static_cast<TSamples>(frame);
        context.continousTimeSamples = static_cast<TSamples>(frame);
        context.tempo = options.tempo;
        context.projectTimeMusic =
            static_cast<double>(frame) / setup.sampleRate * options.tempo / 60.0;
        context.timeSigNumerator = 4;
        context.timeSigDenominator = 4;

        AudioBusBuffers in{};
        in.numChannels = channels;
        in.channelBuffers32 = inputPointers;
        AudioBusBuffers out{};
        out.numChannels = channels;
        out.channelBuffers32 = outputPointers;
        ProcessData data;
        data.processMode = kOffline;
        data.symbolicSampleSize = kSample32;
        data.numSamples = frames;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        data.inputParameterChanges = inputChanges.get();
        data.outputParameterChanges = outputChanges.get();
        data.processContext = &context;
        const tresult result = instance->process(data);
        if (result != kResultOk)
            throw PluginFailure("the plug-in's process failed at frame " + std::to_string(frame) +
                                " (result " + std::to_string(result) + ")");

        // What the plug-in set itself, the controller learns as a host tells it.
        for (int32 q = 0; q < outputChanges->getParameterCount(); ++q) {
            auto* queue = static_cast<ParameterQueue*>(outputChanges->getParameterData(q));
            ParamValue value = 0.0;
            if (queue->last(value))
                instance->controller().setParamNormalized(queue->getParameterId(), value);
        }

        for (std::size_t i = 0; i < static_cast<std::size_t>(frames); ++i)
            for (int32 c = 0; c < channels; ++c)
                interleaved[i * source.channels() + static_cast<std::size_t>(c)] = outputs[c][i];
    }

    // The state saved, the instance replaced by a new one given that state.
    void restore()
    {
        const Vst3State state = instance->save();
        instance.reset();
        instance = std::make_unique<Vst3Instance>(module, &host, &handler);
        instance->load(state);
        instance->start(setup, channels);
    }

    const HostOptions& options;
    Vst3Module module;
    int32 channels;
    AudioSource& source;
    HostApplication host; // never deleted through its references
    ComponentHandler handler;
    BlockSizes blocks;
    ProcessSetup setup{};
    std::unique_ptr<Vst3Instance> instance;
    std::vector<ResolvedSetting> starting;
    std::vector<DuePoint> points;
    std::size_t nextPoint = 0;
    std::uint64_t frame = 0;
    std::unique_ptr<ParameterChanges> inputChanges;
    std::unique_ptr<ParameterChanges> outputChanges;
    std::vector<float> interleaved;
    std::vector<float> inputs[2];
    std::vector<float> outputs[2];
    Sample32* inputPointers[2] = {nullptr, nullptr};
    Sample32* outputPointers[2] = {nullptr, nullptr};
};

} // namespace

void RenderThroughVst3(const HostOptions& options, std::ostream& out, std::ostream& warnings)
{
    if (SameFile(options.input, options.output))
        throw HostInputError("OUTPUT " + options.output + " is the same file as INPUT");
    const std::unique_ptr<AudioSource> source = OpenAudioSource(options.input, options.rawRate);
    if (source->channels() < 1 || source->channels() > 2)
        throw HostInputError(options.input + ": " + std::to_string(source->channels()) +
                             " channels; the host renders mono or stereo files");
    Render render(options, *source);
    const std::unique_ptr<AudioSink> sink =
        CreateAudioSink(options.output, source->channels(), source->sampleRate());
    render.run(*sink);
    if (const std::string truncation = source->truncation(); !truncation.empty())
        warnings << "vst3host: warning: " << truncation << '\n';
    for (const AutomationPoint* late : render.pointsAfterEnd())
        warnings << "vst3host: warning: " << late->setting.given
                 << ": at or past the end of the input, not applied\n";
    sink->commit();
    if (options.showValues)
        for (int32 i = 0; i < render.controller().getParameterCount(); ++i)
            if (const std::string line = ParameterValueLine(render.controller(), i); !line.empty())
                out << line << '\n';
}
