#include "renderrun.h"

#include <cmath>
#include <cstdio>

#include "host/runtime/plugininstance.h"
#include "parametervalue.h"

RenderResult RenderAtSupportedRate(PluginLibrary& library, AudioSource& source, AudioSink& sink,
                                   const RenderJob& job, const RenderProgress& progress)
{
    const double rate = source.sampleRate();
    try {
        return Render(library, source, sink, job, progress);
    } catch (const std::exception& failure) {
        if (rate >= kLowestRate && std::floor(rate) <= kHighestRate)
            throw;
        throw UsageError("unsupported sample rate " + FormatNumber(rate) + " Hz (" +
                         failure.what() + "); the tape delay runs at " + FormatNumber(kLowestRate) +
                         " to " + FormatNumber(kHighestRate) + " Hz");
    }
}

std::string PeakText(float peak)
{
    if (!(peak > 0.0f))
        return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(static_cast<double>(peak)));
    return text;
}

std::string RenderSummary(const RenderResult& result)
{
    char head[160];
    std::snprintf(head, sizeof head, "%.2f s (%llu frames) at %s Hz, %zu channel%s",
                  static_cast<double>(result.outputFrames) / result.sampleRate,
                  static_cast<unsigned long long>(result.outputFrames),
                  FormatNumber(result.sampleRate).c_str(), result.peaks.size(),
                  result.peaks.size() == 1 ? "" : "s");
    std::string text = head;
    for (std::size_t c = 0; c < result.peaks.size(); ++c) {
        text += result.peaks.size() == 1 ? "; peaks" : "; channel " + std::to_string(c + 1);
        text +=
            ": in " + PeakText(result.peaks[c].input) + ", out " + PeakText(result.peaks[c].output);
    }
    return text;
}
