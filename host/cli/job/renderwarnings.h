// What a render warns about: settings that had no effect and output beyond
// full scale. The run still succeeds; the words go to standard error.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/render/renderjob.h"
#include "host/runtime/plugindescription.h"

// Settings that did not do what they say: a Delay Time given while a note
// value sets the delay (the plug-in ignores it), and a starting value the
// plug-in itself changed while handling a later one (choosing a note value
// sets BPM so that the note keeps the delay there was).
class SettingsCheck {
public:
    explicit SettingsCheck(const PluginDescription& description);

    // The renderer's hooks.
    void startingValue(const ParameterSetting& setting, const PluginInstance& instance);
    void started(const RenderJob& job, const PluginInstance& instance);
    void applied(std::span<const ScheduledChange* const> changes, const PluginInstance& instance);

    std::vector<std::string> warnings;

private:
    // Why a Delay Time has no effect now, or empty.
    std::string overridden(const PluginInstance& instance) const;

    const PluginDescription& description;
    std::optional<std::size_t> delayTime;
    std::optional<std::size_t> noteValue;
};

// Scheduled changes and taps due at or after the end of the output.
std::vector<std::string> EventsAfterEnd(const RenderJob& job, const RenderResult& result);

// Output beyond full scale: in a file of integer samples the count clipped,
// in a float file the peak it keeps. Empty when all is within full scale.
std::string FullScaleWarning(const std::string& output, bool integerSamples, float peak,
                             std::uint64_t overFullScale);
