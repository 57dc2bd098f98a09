#include "echotrain.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A repeat stands out from the hiss when its peak is this many times (6 dB)
// the loudest sample in the quarter delay before its window.
constexpr float kStandOut = 2.0f;

double decibels(float magnitude)
{
    return magnitude > 0.0f ? 20.0 * std::log10(static_cast<double>(magnitude))
                            : -std::numeric_limits<double>::infinity();
}

// The loudest frame of [begin, end).
std::size_t loudest(std::span<const float> samples, std::size_t begin, std::size_t end)
{
    const auto first = samples.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto found =
        std::max_element(first, samples.begin() + static_cast<std::ptrdiff_t>(end),
                         [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    return static_cast<std::size_t>(found - samples.begin());
}

} // namespace

EchoTrain MeasureEchoTrain(std::span<const float> response, double sampleRate, double delaySeconds,
                           std::size_t envelopeBins)
{
    EchoTrain train;
    train.delaySeconds = delaySeconds;
    const double delayFrames = delaySeconds * sampleRate;
    const std::size_t frames = response.size();
    const auto windowEdge = [&](double repeats) {
        return std::min(frames, static_cast<std::size_t>(std::llround(repeats * delayFrames)));
    };

    train.dryDb = decibels(std::fabs(response[loudest(response, 0, windowEdge(0.5))]));
    // Without a delay of a frame or more there are no repeats to tell apart.
    for (std::size_t k = 1; delayFrames >= 1.0 && (static_cast<double>(k) + 0.5) * delayFrames <=
                                                      static_cast<double>(frames);
         ++k) {
        const double due = static_cast<double>(k);
        const std::size_t peak = loudest(response, windowEdge(due - 0.5), windowEdge(due + 0.5));
        const std::size_t noise = loudest(response, windowEdge(due - 0.5), windowEdge(due - 0.25));
        if (std::fabs(response[peak]) < kStandOut * std::fabs(response[noise]) ||
            response[peak] == 0.0f)
            break;
        train.repeats.push_back({k, peak, decibels(std::fabs(response[peak]))});
    }

    const std::size_t bins = std::max<std::size_t>(1, std::min(envelopeBins, frames));
    for (std::size_t b = 0; b < bins; ++b) {
        const std::size_t begin = b * frames / bins;
        const std::size_t end = (b + 1) * frames / bins;
        train.envelope.push_back({static_cast<double>(begin) / sampleRate,
                                  decibels(std::fabs(response[loudest(response, begin, end)]))});
    }

    if (!train.repeats.empty() && train.repeats.front().number == 1) {
        const std::size_t peak = train.repeats.front().frame;
        const auto before = static_cast<std::size_t>(std::min(0.002 * sampleRate, delayFrames / 4));
        const std::size_t begin = peak - std::min(peak, before);
        const auto length = static_cast<std::size_t>(std::min(0.1 * sampleRate, 0.9 * delayFrames));
        const std::size_t end = std::min(frames, begin + std::max<std::size_t>(length, 1));
        train.firstRepeatSpectrum = BandSpectrum(response.subspan(begin, end - begin), sampleRate,
                                                 20.0, std::min(20000.0, sampleRate / 2.0));
    }
    return train;
}
