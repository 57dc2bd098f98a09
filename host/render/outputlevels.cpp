#include "outputlevels.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>

#include "host/files/outputfile.h"

namespace {

constexpr std::size_t kCopyFrames = 4096;

std::string spoolError(const char* what)
{
    return std::string("--normalize: ") + what + " its temporary file: " + std::strerror(errno);
}

} // namespace

LevelMeter::LevelMeter(AudioSink& next, std::size_t channels)
    : next(next),
      channelPeaks(channels, 0.0f),
      channelOvers(channels, 0)
{}

void LevelMeter::write(const float* interleaved, std::size_t frames)
{
    // A channel at a time, the peak and the count in registers.
    const std::size_t channels = channelPeaks.size();
    for (std::size_t c = 0; c < channels; ++c) {
        float peak = channelPeaks[c];
        std::uint64_t overs = channelOvers[c];
        for (std::size_t i = c; i < frames * channels; i += channels) {
            const float magnitude = std::fabs(interleaved[i]);
            peak = std::max(peak, magnitude);
            overs += magnitude > 1.0f ? 1 : 0;
        }
        channelPeaks[c] = peak;
        channelOvers[c] = overs;
    }
    next.write(interleaved, frames);
}

Normalizer::Normalizer(AudioSink& next, std::size_t channels, double peakDbfs)
    : next(next),
      channels(channels),
      targetDbfs(peakDbfs),
      spool(CreateScratchFile())
{
    if (!spool)
        throw AudioFileError(spoolError("cannot create"));
}

void Normalizer::write(const float* interleaved, std::size_t frames)
{
    const std::size_t samples = frames * channels;
    for (std::size_t i = 0; i < samples; ++i)
        peak = std::max(peak, std::fabs(interleaved[i]));
    if (std::fwrite(interleaved, sizeof(float), samples, spool.get()) != samples)
        throw AudioFileError(spoolError("cannot write"));
}

void Normalizer::commit()
{
    double gain = 1.0;
    if (peak > 0.0f) {
        gain = std::pow(10.0, targetDbfs / 20.0) / static_cast<double>(peak);
        appliedGainDb = 20.0 * std::log10(gain);
    }
    if (std::fflush(spool.get()) != 0 || std::fseek(spool.get(), 0, SEEK_SET) != 0)
        throw AudioFileError(spoolError("cannot read back"));
    std::vector<float> block(kCopyFrames * channels);
    for (;;) {
        const std::size_t samples =
            std::fread(block.data(), sizeof(float), block.size(), spool.get());
        if (samples == 0)
            break;
        for (std::size_t i = 0; i < samples; ++i)
            block[i] = static_cast<float>(static_cast<double>(block[i]) * gain);
        next.write(block.data(), samples / channels);
    }
    if (std::ferror(spool.get()))
        throw AudioFileError(spoolError("cannot read back"));
    next.commit();
}
