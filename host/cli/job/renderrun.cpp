#include "renderrun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "host/cli/progress.h"
#include "host/cli/usageerror.h"
#include "host/product/parametercodes.h"
#include "host/product/rates.h"
#include "host/product/shownvalues.h"
#include "host/render/outputlevels.h"
#include "host/runtime/plugininstance.h"
#include "host/runtime/values/messagevalues.h"
#include "rendersettings.h"
#include "renderwarnings.h"

namespace {

// "; delay 0.375 s (BPM Delay Time)": with a note value the tempo's delay
// the plug-in shows, else Delay Time.
std::string endingDelay(const RenderReport& report, const PluginDescription& description)
{
    const std::vector<double>& values = report.result.finalValues;
    const std::optional<std::size_t> shown =
        DelayParameter(description, [&](std::size_t index) { return values[index]; });
    std::string text;
    if (shown) {
        char delay[32];
        std::snprintf(delay, sizeof delay, "; delay %.3f s (", values[*shown]);
        text += delay + description.parameters[*shown].name() + ")";
    }
    if (const std::optional<std::size_t> session = description.find(kShownSessionTempo))
        text += ", session tempo " + FormatNumber(values[*session]) + " BPM";
    return text;
}

} // namespace

RenderReport RunRender(PluginLibrary& library, const PluginDescription& description,
                       AudioSource& source, AudioSink& sink, const std::string& output,
                       const RenderJob& job, const RenderOptions& options)
{
    const std::size_t channels = source.channels();
    LevelMeter meter(sink, channels);
    std::optional<Normalizer> normalizer;
    if (options.normalizeDbfs)
        normalizer.emplace(meter, channels, *options.normalizeDbfs);
    AudioSink& first = normalizer ? static_cast<AudioSink&>(*normalizer) : meter;

    SettingsCheck check(description);
    ProgressBar progress(options.progress, source.sampleRate());
    RenderHooks hooks;
    hooks.progress = [&](std::uint64_t done, std::optional<std::uint64_t> total) {
        progress.update(done, total);
    };
    hooks.startingValue = [&](const ParameterSetting& setting, const PluginInstance& instance) {
        check.startingValue(setting, instance);
    };
    hooks.started = [&](const PluginInstance& instance) { check.started(job, instance); };
    hooks.applied = [&](std::span<const ScheduledChange* const> changes,
                        const PluginInstance& instance) { check.applied(changes, instance); };

    RenderReport report;
    try {
        report.result = Render(library, source, first, job, hooks);
    } catch (const std::exception&) {
        // A failure at a rate the plug-in does not run at is the user's.
        if (!SupportedRate(source.sampleRate()))
            throw UsageError(UnsupportedRateText(source.sampleRate()));
        throw;
    }
    progress.finish();
    first.commit();

    report.renderedPeaks = meter.peaks();
    report.overFullScale = meter.overFullScale();
    report.integerSamples = sink.integerSamples();
    if (std::string cut = source.truncation(); !cut.empty())
        report.warnings.push_back(std::move(cut));
    report.warnings.insert(report.warnings.end(), check.warnings.begin(), check.warnings.end());
    const std::vector<std::string> late = EventsAfterEnd(job, report.result);
    report.warnings.insert(report.warnings.end(), late.begin(), late.end());
    if (report.result.replacedSamples != 0)
        report.warnings.push_back(std::to_string(report.result.replacedSamples) +
                                  " non-finite input samples (NaN or infinity) were replaced by 0");
    if (normalizer) {
        if (normalizer->silent())
            report.warnings.push_back(output + ": the output is silent; --normalize left it so");
        else
            report.normalizeGainDb = normalizer->gainDb();
    }
    if (const std::optional<QuietTailEnd>& tail = report.result.quietTail; tail && !tail->quiet) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "--tail auto: the echoes had not died away after %.0f s (the output was "
                      "still above %.1f dBFS); the tail ends there",
                      job.tailSeconds, tail->thresholdDbfs);
        report.warnings.push_back(text);
    }
    const float peak = *std::max_element(report.renderedPeaks.begin(), report.renderedPeaks.end());
    const std::uint64_t over =
        std::accumulate(report.overFullScale.begin(), report.overFullScale.end(), std::uint64_t{0});
    if (const std::string clipped = FullScaleWarning(output, report.integerSamples, peak, over);
        !clipped.empty())
        report.warnings.push_back(clipped);
    return report;
}

std::string PeakText(float peak)
{
    if (!(peak > 0.0f))
        return "-inf dBFS";
    const double db = 20.0 * std::log10(static_cast<double>(peak));
    char text[32];
    // Just under full scale shows as 0.0, not -0.0.
    std::snprintf(text, sizeof text, peak > 1.0f ? "%+.1f dBFS" : "%.1f dBFS",
                  db > -0.05 && peak <= 1.0f ? 0.0 : db);
    return text;
}

std::string RenderSummary(const RenderReport& report, const RenderJob& job,
                          const PluginDescription& description)
{
    const RenderResult& result = report.result;
    const std::size_t channels = report.renderedPeaks.size();
    char head[160];
    std::snprintf(head, sizeof head, "%.2f s (%llu frames) at %s Hz, %zu channel%s",
                  static_cast<double>(result.outputFrames) / result.sampleRate,
                  static_cast<unsigned long long>(result.outputFrames),
                  FormatNumber(result.sampleRate).c_str(), channels, channels == 1 ? "" : "s");
    std::string text = head;
    if (job.prerollSeconds > 0.0)
        text += ", after " + FormatNumber(job.prerollSeconds) + " s of pre-roll";
    for (std::size_t c = 0; c < channels; ++c) {
        text += channels == 1 ? "; peaks" : "; channel " + std::to_string(c + 1);
        text +=
            ": in " + PeakText(result.inputPeaks[c]) + ", out " + PeakText(report.writtenPeak(c));
        if (const std::uint64_t clipped = report.clipped(c))
            text += " (" + std::to_string(clipped) + (clipped == 1 ? " sample" : " samples") +
                    " clipped from " + PeakText(report.renderedPeaks[c]) + ")";
    }
    if (report.normalizeGainDb) {
        char gain[48];
        std::snprintf(gain, sizeof gain, "; output normalized by %+.1f dB",
                      *report.normalizeGainDb);
        text += gain;
    }
    if (const std::optional<QuietTailEnd>& tail = result.quietTail; tail && tail->quiet) {
        char quiet[96];
        std::snprintf(quiet, sizeof quiet, "; tail %.2f s, until below %.1f dBFS%s",
                      static_cast<double>(report.tailFrames()) / result.sampleRate,
                      tail->thresholdDbfs, tail->hiss ? " (the tape hiss)" : "");
        text += quiet;
    }
    return text + endingDelay(report, description);
}
