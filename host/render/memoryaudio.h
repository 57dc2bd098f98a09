// Audio held in memory, for renders the command makes up itself (the demo
// phrase, the plot's click) and reads back (the plot's response).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "host/audio/audiofile.h"

// Mono samples handed to the renderer.
class MemorySource final : public AudioSource {
public:
    MemorySource(std::vector<float> samples, double sampleRate);

    double sampleRate() const override { return rate; }
    std::size_t channels() const override { return 1; }
    std::optional<std::uint64_t> frames() const override { return samples.size(); }
    std::size_t read(float* out, std::size_t maxFrames) override;

private:
    std::vector<float> samples;
    double rate;
    std::size_t position = 0;
};

// Keeps what the renderer writes, interleaved, as float (nothing is clipped).
class MemorySink final : public AudioSink {
public:
    void write(const float* interleaved, std::size_t frames) override;
    bool integerSamples() const override { return false; }
    void commit() override {}

    const std::vector<float>& samples() const { return kept; }

private:
    std::vector<float> kept;
};
