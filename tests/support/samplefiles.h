// Sound files as the tests write and read them (every platform): samples
// in, samples out, stereo as one signal, and where two renders part.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/audio/audiofile.h"

// The samples of a file, interleaved.
inline std::vector<float> Samples(const std::string& path)
{
    const std::unique_ptr<AudioSource> source = OpenAudioSource(path, 0.0);
    const std::size_t channels = source->channels();
    std::vector<float> block(1024 * channels), samples;
    while (const std::size_t n = source->read(block.data(), 1024))
        samples.insert(samples.end(), block.begin(),
                       block.begin() + static_cast<std::ptrdiff_t>(n * channels));
    return samples;
}

// Interleaved, of `channels` channels.
inline void WriteSamples(const std::string& path, const std::vector<float>& interleaved,
                         double rate, std::size_t channels = 1)
{
    const std::unique_ptr<AudioSink> sink = CreateAudioSink(path, channels, rate);
    sink->write(interleaved.data(), interleaved.size() / channels);
    sink->commit();
}

// Two channels as one interleaved stereo signal, and back.
inline std::vector<float> Interleave(const std::vector<float>& left,
                                     const std::vector<float>& right)
{
    std::vector<float> stereo;
    for (std::size_t i = 0; i < left.size(); ++i)
        stereo.insert(stereo.end(), {left[i], right[i]});
    return stereo;
}
inline std::vector<float> Channel(const std::vector<float>& stereo, std::size_t channel)
{
    std::vector<float> samples;
    for (std::size_t i = channel; i < stereo.size(); i += 2)
        samples.push_back(stereo[i]);
    return samples;
}

// Empty when equal, else where they part.
inline std::string Difference(const std::vector<float>& got, const std::vector<float>& expected)
{
    if (got.size() != expected.size())
        return std::to_string(got.size()) + " samples, not " + std::to_string(expected.size());
    std::size_t differing = 0, first = 0;
    for (std::size_t i = expected.size(); i-- > 0;)
        if (got[i] != expected[i])
            ++differing, first = i;
    return differing == 0
               ? ""
               : std::to_string(differing) + " samples differ from sample " + std::to_string(first);
}
