#include "renderwarnings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/product/parametercodes.h"
#include "host/runtime/values/parametervalue.h"
#include "renderrun.h"

SettingsCheck::SettingsCheck(const PluginDescription& description)
    : description(description),
      delayTime(description.find(kDelayTime)),
      noteValue(description.find(kNoteValue))
{}

std::string SettingsCheck::overridden(const PluginInstance& instance) const
{
    const double note = instance.value(*noteValue);
    if (std::trunc(note) == 0.0)
        return {};
    return " has no effect: Note Value is " +
           FormatParameterValue(description.parameters[*noteValue], note) +
           ", so the note sets the delay";
}

void SettingsCheck::startingValue(const ParameterSetting& setting, const PluginInstance& instance)
{
    if (delayTime && noteValue && setting.index == *delayTime)
        if (const std::string why = overridden(instance); !why.empty())
            warnings.push_back(setting.given + why);
}

void SettingsCheck::started(const RenderJob& job, const PluginInstance& instance)
{
    const std::vector<ParameterSetting>& values = job.initialValues;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const ParameterSetting& setting = values[i];
        const bool lastForItsParameter = std::none_of(
            values.begin() + static_cast<std::ptrdiff_t>(i) + 1, values.end(),
            [&](const ParameterSetting& later) { return later.index == setting.index; });
        const double now = instance.value(setting.index);
        if (!lastForItsParameter || now == setting.value)
            continue;
        const ParameterInfo& parameter = description.parameters[setting.index];
        warnings.push_back(setting.given + ": the plug-in changed " + parameter.name() + " to " +
                           FormatParameterValue(parameter, now) +
                           " while handling a later setting; give it after that one to keep it");
    }
}

void SettingsCheck::applied(std::span<const ScheduledChange* const> changes,
                            const PluginInstance& instance)
{
    if (!delayTime || !noteValue)
        return;
    // A note value chosen at the same moment may read Delay Time first.
    const auto changesOf = [&](std::size_t index) {
        return std::any_of(changes.begin(), changes.end(), [&](const ScheduledChange* change) {
            return change->setting.index == index;
        });
    };
    if (!changesOf(*delayTime) || changesOf(*noteValue))
        return;
    if (const std::string why = overridden(instance); !why.empty())
        for (const ScheduledChange* change : changes)
            if (change->setting.index == *delayTime)
                warnings.push_back(change->setting.given + why);
}

std::vector<std::string> EventsAfterEnd(const RenderJob& job, const RenderResult& result)
{
    char end[64];
    std::snprintf(end, sizeof end, " comes after the end of the output (%.3f s); it has no effect",
                  static_cast<double>(result.outputFrames) / result.sampleRate);
    std::vector<std::string> warnings;
    for (const std::size_t i : result.changesAfterEnd)
        warnings.push_back(job.changes[i].setting.given + end);
    for (const std::size_t i : result.tapsAfterEnd)
        warnings.push_back(job.taps[i].given + end);
    for (const std::size_t i : result.sessionTemposAfterEnd)
        warnings.push_back(job.sessionTempos[i].given + end);
    return warnings;
}

std::string FullScaleWarning(const std::string& output, bool integerSamples, float peak,
                             std::uint64_t overFullScale)
{
    if (overFullScale == 0)
        return {};
    if (integerSamples)
        return output + ": " + std::to_string(overFullScale) +
               (overFullScale == 1 ? " sample above full scale was"
                                   : " samples above full scale were") +
               " clipped (the render reached " + PeakText(peak) +
               "); lower Output or use --normalize";
    return output + ": the output peaks at " + PeakText(peak) +
           ", above full scale; the float file keeps it, but players will clip it (lower Output "
           "or use --normalize)";
}
