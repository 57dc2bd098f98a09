#include "quietwatch.h"

#include <algorithm>
#include <cmath>

namespace {

// How far above the hiss's peak a quiet output may reach: the output's own
// hiss is not the hiss instance's sample for sample while echoes remain.
constexpr double kHissMarginDb = 1.0;

float linear(double dbfs)
{
    return static_cast<float>(std::pow(10.0, dbfs / 20.0));
}

} // namespace

QuietWatch::QuietWatch(const QuietTailRule& rule, double sampleRate)
    : rate(sampleRate),
      holdSeconds(rule.holdSeconds),
      floor(linear(rule.floorDbfs)),
      hissFrames(std::max<std::uint64_t>(1, static_cast<std::uint64_t>(rule.holdSeconds * rate)))
{}

std::optional<std::size_t> QuietWatch::follow(const float* output, std::size_t channels,
                                              const float* hiss, std::size_t frames,
                                              std::size_t tailFrom, double delaySeconds)
{
    const auto needed = static_cast<std::uint64_t>(std::ceil((holdSeconds + delaySeconds) * rate));
    const float margin = linear(kHissMarginDb);
    for (std::size_t i = 0; i < frames; ++i, ++frame) {
        if (i >= tailFrom && quietRun >= needed)
            return i;
        // The window's peak: a queue of falling values, the oldest in front.
        const float h = std::fabs(hiss[i]);
        while (!hissPeaks.empty() && hissPeaks.back().second <= h)
            hissPeaks.pop_back();
        hissPeaks.emplace_back(frame, h);
        while (hissPeaks.front().first + hissFrames <= frame)
            hissPeaks.pop_front();
        hissThreshold = hissPeaks.front().second * margin;

        const float threshold = std::max(floor, hissThreshold);
        const float* samples = output + i * channels;
        const bool quiet = std::all_of(samples, samples + channels,
                                       [threshold](float x) { return std::fabs(x) <= threshold; });
        quietRun = quiet ? quietRun + 1 : 0;
    }
    return std::nullopt;
}

double QuietWatch::thresholdDbfs() const
{
    return 20.0 * std::log10(static_cast<double>(std::max(floor, hissThreshold)));
}
