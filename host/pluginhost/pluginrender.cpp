#include "pluginrender.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "blocksizes.h"
#include "editorsession.h"
#include "host/audio/audiofile.h"

namespace {

std::string shown(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", seconds);
    return text;
}

std::uint64_t frameAt(double seconds, double rate)
{
    return static_cast<std::uint64_t>(std::floor(seconds * rate));
}

struct DuePoint {
    std::uint64_t frame = 0;
    ParameterSetting setting;
    const std::string* given = nullptr;
};

struct DueTempo {
    std::uint64_t frame = 0;
    double bpm = 120.0;
    const std::string* given = nullptr;
};

// The starting values in the plug-in's parameter order; of a parameter
// given twice, the last.
std::vector<ParameterSetting> startingValues(HostedPlugin& plugin,
                                             const std::vector<ParameterText>& given)
{
    std::vector<ParameterSetting> values;
    for (const ParameterText& text : given) {
        const ParameterSetting setting = plugin.resolve(text);
        std::erase_if(values, [&](const ParameterSetting& v) { return v.id == setting.id; });
        values.push_back(setting);
    }
    std::stable_sort(values.begin(), values.end(),
                     [](const auto& a, const auto& b) { return a.index < b.index; });
    return values;
}

// The points by their frame; those due at the same frame in the order given.
std::vector<DuePoint> duePoints(HostedPlugin& plugin, const std::vector<AutomationPoint>& points,
                                double rate)
{
    std::vector<DuePoint> due;
    for (const AutomationPoint& point : points)
        due.push_back(
            {frameAt(point.seconds, rate), plugin.resolve(point.setting), &point.setting.given});
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a.frame < b.frame; });
    return due;
}

std::vector<DueTempo> dueTempos(const std::vector<TempoPoint>& points, double rate)
{
    std::vector<DueTempo> due;
    for (const TempoPoint& point : points)
        due.push_back({frameAt(point.seconds, rate), point.bpm, &point.given});
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
    Render(const HostCommand& command, const HostOptions& options, const PluginLoader& load,
           AudioSource& source, std::ostream& out, std::ostream& log)
        : options(options),
          source(source),
          setup{source.sampleRate(), static_cast<std::uint32_t>(source.channels()),
                options.blockFrames},
          blocks(options.blockFrames, options.randomBlocksSeed),
          tempo(options.tempo)
    {
        plugin = load(options, setup, log);
        const std::vector<ParameterSetting> starting = startingValues(*plugin, options.starting);
        points = duePoints(*plugin, options.points, setup.rate);
        tempos = dueTempos(options.tempoPoints, setup.rate);
        plugin->give(starting);
        if (options.editorCycles > 0 || options.editorSeconds > 0.0)
            RunEditorSession(command, options, *plugin, out);
        plugin->start();

        interleaved.resize(std::size_t{options.blockFrames} * setup.channels);
        for (std::uint32_t c = 0; c < setup.channels; ++c) {
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
            restoreAt = frameAt(*options.saveRestoreSeconds, setup.rate);
        for (;;) {
            if (restoreAt && frame == *restoreAt) {
                plugin->restore();
                restoreAt.reset();
            }
            std::uint64_t frames = blocks.next();
            if (restoreAt)
                frames = std::min(frames, *restoreAt - frame);
            const std::size_t got = readBlock(source, interleaved.data(),
                                              static_cast<std::size_t>(frames), setup.channels);
            if (got == 0)
                break;
            process(static_cast<std::uint32_t>(got));
            sink.write(interleaved.data(), got);
            frame += got;
        }
        if (restoreAt)
            throw HostInputError("--save-restore " + shown(*options.saveRestoreSeconds) +
                                 ": past the end of the input (" + std::to_string(frame) +
                                 " frames)");
    }

    // The points and tempo changes that never fell due, as given.
    std::vector<const std::string*> pointsAfterEnd() const
    {
        std::vector<const std::string*> late;
        for (std::size_t i = nextPoint; i < points.size(); ++i)
            late.push_back(points[i].given);
        for (std::size_t i = nextTempo; i < tempos.size(); ++i)
            late.push_back(tempos[i].given);
        return late;
    }

    HostedPlugin& hosted() { return *plugin; }

private:
    void process(std::uint32_t frames)
    {
        const std::size_t channels = setup.channels;
        for (std::size_t i = 0; i < frames; ++i)
            for (std::size_t c = 0; c < channels; ++c)
                inputs[c][i] = interleaved[i * channels + c];

        changes.clear();
        for (; nextPoint < points.size() && points[nextPoint].frame < frame + frames; ++nextPoint)
            changes.push_back({static_cast<std::uint32_t>(points[nextPoint].frame - frame),
                               points[nextPoint].setting});
        tempoChanges.clear();
        for (; nextTempo < tempos.size() && tempos[nextTempo].frame < frame + frames; ++nextTempo)
            tempoChanges.push_back({static_cast<std::uint32_t>(tempos[nextTempo].frame - frame),
                                    tempos[nextTempo].bpm});

        // The transport's tempo is the one at the block's first sample.
        for (const TempoChange& change : tempoChanges)
            if (change.offset == 0)
                tempo = change.bpm;

        HostBlock block;
        block.frame = frame;
        block.frames = frames;
        block.inputs = inputPointers;
        block.outputs = outputPointers;
        block.tempo = tempo;
        block.changes = changes;
        block.tempoChanges = tempoChanges;
        plugin->process(block);
        if (!tempoChanges.empty())
            tempo = tempoChanges.back().bpm;

        for (std::size_t i = 0; i < frames; ++i)
            for (std::size_t c = 0; c < channels; ++c)
                interleaved[i * channels + c] = outputs[c][i];
    }

    const HostOptions& options;
    AudioSource& source;
    RenderSetup setup;
    BlockSizes blocks;
    std::unique_ptr<HostedPlugin> plugin;
    std::vector<DuePoint> points;
    std::size_t nextPoint = 0;
    std::vector<DueTempo> tempos;
    std::size_t nextTempo = 0;
    double tempo;
    std::uint64_t frame = 0;
    std::vector<ParameterChange> changes;
    std::vector<TempoChange> tempoChanges;
    std::vector<float> interleaved;
    std::vector<float> inputs[2];
    std::vector<float> outputs[2];
    const float* inputPointers[2] = {nullptr, nullptr};
    float* outputPointers[2] = {nullptr, nullptr};
};

} // namespace

void RenderThroughPlugin(const HostCommand& command, const HostOptions& options,
                         const PluginLoader& load, std::ostream& out, std::ostream& warnings)
{
    if (SameFile(options.input, options.output))
        throw HostInputError("OUTPUT " + options.output + " is the same file as INPUT");
    const std::unique_ptr<AudioSource> source = OpenAudioSource(options.input, options.rawRate);
    if (source->channels() < 1 || source->channels() > 2)
        throw HostInputError(options.input + ": " + std::to_string(source->channels()) +
                             " channels; the host renders mono or stereo files");
    Render render(command, options, load, *source, out, warnings);
    const std::unique_ptr<AudioSink> sink =
        CreateAudioSink(options.output, source->channels(), source->sampleRate());
    render.run(*sink);
    const std::string prefix = std::string(command.name) + ": warning: ";
    if (const std::string truncation = source->truncation(); !truncation.empty())
        warnings << prefix << truncation << '\n';
    for (const std::string* late : render.pointsAfterEnd())
        warnings << prefix << *late << ": at or past the end of the input, not applied\n";
    sink->commit();
    if (options.showValues)
        for (const std::string& line : render.hosted().valueLines())
            out << line << '\n';
}
