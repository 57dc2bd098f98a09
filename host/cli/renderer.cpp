#include "renderer.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "host/runtime/plugininstance.h"

namespace {

std::uint64_t dueSample(double seconds, double rate)
{
    return static_cast<std::uint64_t>(std::floor(seconds * rate));
}

// Scheduled events of one kind. Those due by a block's start are applied
// in the order they were given.
template <class Scheduled>
class DueQueue {
public:
    DueQueue(const std::vector<Scheduled>& events, double rate) : events(events)
    {
        for (std::size_t i = 0; i < events.size(); ++i)
            byDue.push_back({dueSample(events[i].time, rate), i});
        std::sort(byDue.begin(), byDue.end());
    }

    template <class Apply>
    void applyDue(std::uint64_t blockStart, Apply apply)
    {
        const auto first = byDue.begin() + static_cast<std::ptrdiff_t>(next);
        auto last = first;
        while (last != byDue.end() && last->first <= blockStart)
            ++last;
        std::sort(first, last, [](const auto& a, const auto& b) { return a.second < b.second; });
        for (auto it = first; it != last; ++it)
            apply(events[it->second]);
        next = static_cast<std::size_t>(last - byDue.begin());
    }

private:
    const std::vector<Scheduled>& events;
    std::vector<std::pair<std::uint64_t, std::size_t>> byDue; // (due sample, position given)
    std::size_t next = 0;
};

// Fills up to frames frames, reading until the source has no more.
std::size_t readBlock(AudioSource& source, float* interleaved, std::size_t frames,
                      std::size_t channels, bool& ended)
{
    std::size_t got = 0;
    while (!ended && got < frames) {
        const std::size_t n = source.read(interleaved + got * channels, frames - got);
        ended = n == 0;
        got += n;
    }
    return got;
}

} // namespace

RenderResult Render(PluginLibrary& library, AudioSource& source, AudioSink& sink,
                    const RenderJob& job, const RenderProgress& progress)
{
    RenderResult result;
    result.sampleRate = source.sampleRate();
    const std::size_t channels = source.channels();
    const std::size_t blockFrames = job.blockFrames;

    InstanceSettings settings;
    settings.sampleRate = result.sampleRate;
    settings.maxBlockFrames = job.blockFrames;
    settings.initialValues = job.initialValues;
    settings.sessionTempo = job.sessionTempo;
    std::vector<std::unique_ptr<PluginInstance>> instances;
    for (std::size_t c = 0; c < channels; ++c)
        instances.push_back(std::make_unique<PluginInstance>(library, settings));

    DueQueue<ScheduledChange> changes(job.changes, result.sampleRate);
    DueQueue<ScheduledTap> taps(job.taps, result.sampleRate);
    const std::uint64_t tailFrames = dueSample(job.tailSeconds, result.sampleRate);
    std::optional<std::uint64_t> total;
    if (const std::optional<std::uint64_t> inputFrames = source.frames())
        total = *inputFrames + tailFrames;

    std::vector<float> interleaved(blockFrames * channels);
    std::vector<float> input(blockFrames);
    std::vector<float> output(blockFrames);
    std::uint64_t tailLeft = tailFrames;
    bool ended = false;
    for (;;) {
        const std::size_t read =
            readBlock(source, interleaved.data(), blockFrames, channels, ended);
        result.inputFrames += read;
        std::size_t frames = read;
        if (ended) {
            const auto silence =
                static_cast<std::size_t>(std::min<std::uint64_t>(blockFrames - read, tailLeft));
            std::fill_n(interleaved.begin() + static_cast<std::ptrdiff_t>(read * channels),
                        silence * channels, 0.0f);
            frames += silence;
            tailLeft -= silence;
        }
        if (frames == 0)
            break;

        changes.applyDue(result.outputFrames, [&](const ScheduledChange& change) {
            for (const std::unique_ptr<PluginInstance>& instance : instances)
                instance->change(change.index, change.value);
        });
        taps.applyDue(result.outputFrames, [&](const ScheduledTap& tap) {
            for (const std::unique_ptr<PluginInstance>& instance : instances)
                instance->tap(tap.bpm);
        });

        for (std::size_t c = 0; c < channels; ++c) {
            for (std::size_t i = 0; i < frames; ++i)
                input[i] = interleaved[i * channels + c];
            result.replacedSamples += instances[c]->process(input.data(), output.data(),
                                                            static_cast<std::uint32_t>(frames));
            for (std::size_t i = 0; i < frames; ++i)
                interleaved[i * channels + c] = output[i];
        }
        sink.write(interleaved.data(), frames);
        result.outputFrames += frames;
        if (progress)
            progress(result.outputFrames, total);
    }

    for (const std::unique_ptr<PluginInstance>& instance : instances)
        result.peaks.push_back({instance->inputPeak(), instance->outputPeak()});
    return result;
}
