#include "renderreport.h"

#include <cmath>

#include "host/cli/job/rendersettings.h"
#include "host/product/parametercodes.h"
#include "host/product/shownvalues.h"
#include "host/runtime/values/parametervalue.h"
#include "jsonwriter.h"

namespace {

// A peak in dBFS; null for silence.
void peakDbfs(JsonWriter& json, float peak)
{
    if (peak > 0.0f)
        json.value(20.0 * std::log10(static_cast<double>(peak)));
    else
        json.null();
}

void setting(JsonWriter& json, const PluginDescription& description, const ParameterSetting& value)
{
    const ParameterInfo& parameter = description.parameters[value.index];
    json.key("id").value(parameter.code);
    json.key("value").value(value.value);
    json.key("text").value(ParameterValueText(parameter, value.value));
    json.key("given").value(value.given);
}

void tempos(JsonWriter& json, const std::vector<ScheduledTempo>& events)
{
    json.beginArray();
    for (const ScheduledTempo& event : events) {
        json.beginObject();
        json.key("time").value(event.time);
        json.key("bpm").value(event.bpm);
        json.key("given").value(event.given);
        json.endObject();
    }
    json.endArray();
}

void settings(JsonWriter& json, const RenderJob& job, const RenderOptions& options,
              const PluginDescription& description)
{
    json.beginObject();
    json.key("initial").beginArray();
    for (const ParameterSetting& value : job.initialValues) {
        json.beginObject();
        setting(json, description, value);
        json.endObject();
    }
    json.endArray();
    json.key("changes").beginArray();
    for (const ScheduledChange& change : job.changes) {
        json.beginObject();
        json.key("time").value(change.time);
        setting(json, description, change.setting);
        json.endObject();
    }
    json.endArray();
    json.key("taps");
    tempos(json, job.taps);
    json.key("sessionTempo").value(job.sessionTempo);
    json.key("sessionTempoChanges");
    tempos(json, job.sessionTempos);
    json.key("prerollSeconds").value(job.prerollSeconds);
    json.key("tail");
    if (job.untilQuiet)
        json.value("auto");
    else
        json.value(job.tailSeconds);
    json.key("blockFrames").value(static_cast<std::uint64_t>(job.blockFrames));
    json.key("normalizeDbfs");
    if (options.normalizeDbfs)
        json.value(*options.normalizeDbfs);
    else
        json.null();
    json.endObject();
}

void tail(JsonWriter& json, const RenderReport& report, const RenderJob& job)
{
    json.beginObject();
    json.key("frames").value(report.tailFrames());
    json.key("seconds").value(static_cast<double>(report.tailFrames()) / report.result.sampleRate);
    json.key("auto").value(job.untilQuiet.has_value());
    if (const std::optional<QuietTailEnd>& quiet = report.result.quietTail) {
        json.key("thresholdDbfs").value(quiet->thresholdDbfs);
        json.key("tapeHiss").value(quiet->hiss);
        json.key("quiet").value(quiet->quiet);
    }
    json.endObject();
}

void finalValues(JsonWriter& json, const RenderReport& report, const PluginDescription& description)
{
    const std::vector<double>& values = report.result.finalValues;
    json.beginObject();
    if (const std::optional<std::size_t> delay =
            DelayParameter(description, [&](std::size_t index) { return values[index]; })) {
        json.key("delaySeconds").value(values[*delay]);
        json.key("delayParameter").value(description.parameters[*delay].code);
    }
    if (const std::optional<std::size_t> session = description.find(kShownSessionTempo))
        json.key("sessionTempo").value(values[*session]);
    json.key("values").beginObject();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const ParameterInfo& parameter = description.parameters[i];
        json.key(parameter.code).beginObject();
        json.key("value").value(values[i]);
        json.key("text").value(ParameterValueText(parameter, values[i]));
        json.endObject();
    }
    json.endObject();
    json.endObject();
}

} // namespace

std::string RenderReportJson(const RenderReport& report, const RenderJob& job,
                             const RenderOptions& options, const PluginDescription& description,
                             const RenderReportFiles& files)
{
    const RenderResult& result = report.result;
    JsonWriter json;
    json.beginObject();
    json.key("input").value(files.input);
    json.key("output").value(files.output);
    json.key("sampleRate").value(result.sampleRate);
    json.key("channels").value(static_cast<std::uint64_t>(report.renderedPeaks.size()));
    json.key("inputFrames").value(result.inputFrames);
    json.key("outputFrames").value(result.outputFrames);
    json.key("seconds").value(static_cast<double>(result.outputFrames) / result.sampleRate);
    json.key("tail");
    tail(json, report, job);
    json.key("peaks").beginArray();
    std::uint64_t over = 0, clipped = 0;
    for (std::size_t c = 0; c < report.renderedPeaks.size(); ++c) {
        json.beginObject();
        json.key("channel").value(static_cast<std::uint64_t>(c + 1));
        json.key("inputDbfs");
        peakDbfs(json, result.inputPeaks[c]);
        json.key("outputDbfs");
        peakDbfs(json, report.writtenPeak(c));
        json.key("renderedDbfs");
        peakDbfs(json, report.renderedPeaks[c]);
        json.key("clippedSamples").value(report.clipped(c));
        json.endObject();
        over += report.overFullScale[c];
        clipped += report.clipped(c);
    }
    json.endArray();
    json.key("samplesAboveFullScale").value(over);
    json.key("clippedSamples").value(clipped);
    json.key("normalizeGainDb");
    if (report.normalizeGainDb)
        json.value(*report.normalizeGainDb);
    else
        json.null();
    json.key("replacedSamples").value(static_cast<std::uint64_t>(result.replacedSamples));
    json.key("final");
    finalValues(json, report, description);
    json.key("warnings").beginArray();
    for (const std::string& warning : report.warnings)
        json.value(warning);
    json.endArray();
    json.key("settings");
    settings(json, job, options, description);
    json.endObject();
    return json.text();
}
