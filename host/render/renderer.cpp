#include "renderer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "quietwatch.h"

namespace {

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

std::uint64_t wholeSamples(double seconds, double rate)
{
    return static_cast<std::uint64_t>(std::floor(seconds * rate));
}

// Scheduled events of one kind in the order they fall due; those due at the
// same sample in the order they were given.
template <class Scheduled>
class DueQueue {
public:
    DueQueue(const std::vector<Scheduled>& events, double rate, std::uint64_t offset)
        : events(events)
    {
        for (std::size_t i = 0; i < events.size(); ++i)
            byDue.push_back({offset + wholeSamples(events[i].time, rate), i});
        std::sort(byDue.begin(), byDue.end());
    }

    // The first sample after the given one at which an event is due.
    std::uint64_t dueAfter(std::uint64_t sample) const
    {
        for (std::size_t i = next; i < byDue.size(); ++i)
            if (byDue[i].first > sample)
                return byDue[i].first;
        return kNever;
    }

    template <class Apply>
    void applyDue(std::uint64_t sample, Apply apply)
    {
        for (; next < byDue.size() && byDue[next].first <= sample; ++next)
            apply(events[byDue[next].second]);
    }

    // The positions given of the events not yet applied.
    std::vector<std::size_t> pending() const
    {
        std::vector<std::size_t> positions;
        for (std::size_t i = next; i < byDue.size(); ++i)
            positions.push_back(byDue[i].second);
        std::sort(positions.begin(), positions.end());
        return positions;
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

using Instances = std::vector<std::unique_ptr<PluginInstance>>;

// Silence through every instance, the output dropped: the plug-in settles
// as it would have in a host that ran before playback.
void preroll(Instances& instances, std::uint64_t frames, std::uint32_t blockFrames)
{
    const std::vector<float> silence(blockFrames, 0.0f);
    std::vector<float> dropped(blockFrames);
    for (std::uint64_t done = 0; done < frames;) {
        const auto n =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(blockFrames, frames - done));
        for (const std::unique_ptr<PluginInstance>& instance : instances)
            instance->process(silence.data(), dropped.data(), n);
        done += n;
    }
}

} // namespace

RenderResult Render(PluginLibrary& library, AudioSource& source, AudioSink& sink,
                    const RenderJob& job, const RenderHooks& hooks)
{
    RenderResult result;
    result.sampleRate = source.sampleRate();
    const std::size_t channels = source.channels();
    const std::size_t blockFrames = job.blockFrames;

    InstanceSettings settings;
    settings.sampleRate = result.sampleRate;
    settings.maxBlockFrames = job.blockFrames;
    settings.sessionTempo = job.sessionTempo;
    std::vector<StartingValue> startingValues;
    for (const ParameterSetting& value : job.initialValues)
        startingValues.emplace_back(value.index, value.value);
    StartingValueObserver observer;
    if (hooks.startingValue)
        observer = [&](std::size_t position, const PluginInstance& instance) {
            hooks.startingValue(job.initialValues[position], instance);
        };
    // The channels' instances, then the hiss instance of a tail that ends by itself.
    Instances instances;
    const std::size_t instanceCount = channels + (job.untilQuiet ? 1 : 0);
    for (std::size_t c = 0; c < instanceCount; ++c) {
        instances.push_back(std::make_unique<PluginInstance>(library, settings));
        instances.back()->start(startingValues, c == 0 ? observer : StartingValueObserver{});
    }
    if (hooks.started)
        hooks.started(*instances.front());

    const std::uint64_t prerollFrames = wholeSamples(job.prerollSeconds, result.sampleRate);
    preroll(instances, prerollFrames, job.blockFrames);

    DueQueue<ScheduledChange> changes(job.changes, result.sampleRate, prerollFrames);
    DueQueue<ScheduledTempo> taps(job.taps, result.sampleRate, prerollFrames);
    DueQueue<ScheduledTempo> sessionTempos(job.sessionTempos, result.sampleRate, prerollFrames);
    const std::uint64_t tailFrames = wholeSamples(job.tailSeconds, result.sampleRate);
    std::optional<std::uint64_t> total;
    if (const std::optional<std::uint64_t> inputFrames = source.frames();
        inputFrames && !job.untilQuiet)
        total = *inputFrames + tailFrames;
    std::optional<QuietWatch> quiet;
    if (job.untilQuiet)
        quiet.emplace(*job.untilQuiet, result.sampleRate);

    std::vector<float> interleaved(blockFrames * channels);
    std::vector<float> input(blockFrames);
    std::vector<float> output(blockFrames);
    const std::vector<float> silence(quiet ? blockFrames : 0, 0.0f);
    std::vector<float> hiss(quiet ? blockFrames : 0);
    std::vector<const ScheduledChange*> appliedNow;
    result.inputPeaks.assign(channels, 0.0f);
    std::uint64_t tailLeft = tailFrames;
    bool ended = false;
    bool endedQuiet = false;
    for (;;) {
        const std::uint64_t position = prerollFrames + result.outputFrames;
        // The block ends where the next event is due.
        const std::uint64_t nextDue = std::min({changes.dueAfter(position), taps.dueAfter(position),
                                                sessionTempos.dueAfter(position)});
        const auto limit =
            static_cast<std::size_t>(std::min<std::uint64_t>(blockFrames, nextDue - position));
        const std::size_t read = readBlock(source, interleaved.data(), limit, channels, ended);
        result.inputFrames += read;
        std::size_t frames = read;
        if (ended) {
            const auto silence =
                static_cast<std::size_t>(std::min<std::uint64_t>(limit - read, tailLeft));
            std::fill_n(interleaved.begin() + static_cast<std::ptrdiff_t>(read * channels),
                        silence * channels, 0.0f);
            frames += silence;
            tailLeft -= silence;
        }
        if (frames == 0)
            break;

        appliedNow.clear();
        changes.applyDue(position, [&](const ScheduledChange& change) {
            for (const std::unique_ptr<PluginInstance>& instance : instances)
                instance->change(change.setting.index, change.setting.value);
            appliedNow.push_back(&change);
        });
        taps.applyDue(position, [&](const ScheduledTempo& tap) {
            for (const std::unique_ptr<PluginInstance>& instance : instances)
                TapTempo(*instance, tap.bpm);
        });
        sessionTempos.applyDue(position, [&](const ScheduledTempo& tempo) {
            for (const std::unique_ptr<PluginInstance>& instance : instances)
                instance->setSessionTempo(tempo.bpm);
        });

        for (std::size_t c = 0; c < channels; ++c) {
            float peak = result.inputPeaks[c];
            for (std::size_t i = 0; i < frames; ++i) {
                const float x = interleaved[i * channels + c];
                input[i] = x;
                peak = std::isfinite(x) ? std::max(peak, std::fabs(x)) : peak;
            }
            result.inputPeaks[c] = peak;
            result.replacedSamples += instances[c]->process(input.data(), output.data(),
                                                            static_cast<std::uint32_t>(frames));
            for (std::size_t i = 0; i < frames; ++i)
                interleaved[i * channels + c] = output[i];
        }
        if (hooks.applied && !appliedNow.empty())
            hooks.applied(appliedNow, *instances.front());
        std::optional<std::size_t> tailEnd;
        if (quiet) {
            instances.back()->process(silence.data(), hiss.data(),
                                      static_cast<std::uint32_t>(frames));
            tailEnd = quiet->follow(interleaved.data(), channels, hiss.data(), frames,
                                    ended ? read : frames,
                                    job.untilQuiet->delaySeconds(*instances.front()));
            frames = tailEnd.value_or(frames);
        }
        sink.write(interleaved.data(), frames);
        result.outputFrames += frames;
        if (hooks.progress)
            hooks.progress(result.outputFrames, total);
        if (tailEnd) {
            endedQuiet = true;
            break;
        }
    }

    for (std::size_t i = 0; i < instances.front()->parameterCount(); ++i)
        result.finalValues.push_back(instances.front()->value(i));
    result.changesAfterEnd = changes.pending();
    result.tapsAfterEnd = taps.pending();
    result.sessionTemposAfterEnd = sessionTempos.pending();
    if (quiet)
        result.quietTail =
            QuietTailEnd{quiet->thresholdDbfs(), quiet->hissAboveFloor(), endedQuiet};
    return result;
}
