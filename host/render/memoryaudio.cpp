#include "memoryaudio.h"

#include <algorithm>

MemorySource::MemorySource(std::vector<float> samples, double sampleRate)
    : samples(std::move(samples)),
      rate(sampleRate)
{}

std::size_t MemorySource::read(float* out, std::size_t maxFrames)
{
    const std::size_t n = std::min(maxFrames, samples.size() - position);
    std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(position), n, out);
    position += n;
    return n;
}

void MemorySink::write(const float* interleaved, std::size_t frames)
{
    kept.insert(kept.end(), interleaved, interleaved + frames);
}
