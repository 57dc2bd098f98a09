// Running a render for the command: the instances, the progress bar, the
// output's level, the warnings and the summary a musician reads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/render/renderer.h"
#include "host/runtime/plugindescription.h"

struct RenderOptions {
    bool progress = true;
    std::optional<double> normalizeDbfs; // the output's highest peak, when set
};

struct RenderReport {
    RenderResult result;
    // Per channel, what went to the file (after --normalize): the peak and
    // the samples beyond full scale.
    std::vector<float> renderedPeaks;
    std::vector<std::uint64_t> overFullScale;
    std::optional<double> normalizeGainDb;
    bool integerSamples = false; // the file clips at full scale
    std::vector<std::string> warnings;

    // A channel's peak as the file holds it.
    float writtenPeak(std::size_t channel) const
    {
        return integerSamples ? std::min(renderedPeaks[channel], 1.0f) : renderedPeaks[channel];
    }
    std::uint64_t clipped(std::size_t channel) const
    {
        return integerSamples ? overFullScale[channel] : 0;
    }

    // The silence appended after the input, in frames.
    std::uint64_t tailFrames() const { return result.outputFrames - result.inputFrames; }
};

// Renders source into sink and commits it. A failure to start at an
// unsupported rate is a UsageError that says which rates are supported.
// output names the sink in warnings.
RenderReport RunRender(PluginLibrary& library, const PluginDescription& description,
                       AudioSource& source, AudioSink& sink, const std::string& output,
                       const RenderJob& job, const RenderOptions& options);

// "-6.0 dBFS", "+1.5 dBFS", "-inf dBFS" for silence.
std::string PeakText(float peak);

// Length, rate, channels, the pre-roll, each channel's input and output
// peaks (with the samples a file of integers clipped), the normalizing gain,
// the tail when it ended by itself, and the delay and session tempo the
// plug-in ended on.
std::string RenderSummary(const RenderReport& report, const RenderJob& job,
                          const PluginDescription& description);
