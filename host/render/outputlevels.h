// The level of what a render writes: measured on its way to the file, and
// brought to a chosen peak level.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "host/audio/audiofile.h"

// Passes audio on to a sink and measures it: each channel's peak and the
// samples beyond full scale.
class LevelMeter final : public AudioSink {
public:
    LevelMeter(AudioSink& next, std::size_t channels);

    void write(const float* interleaved, std::size_t frames) override;
    void commit() override { next.commit(); }
    bool integerSamples() const override { return next.integerSamples(); }

    const std::vector<float>& peaks() const { return channelPeaks; }
    // Each channel's samples whose magnitude exceeds 1.
    const std::vector<std::uint64_t>& overFullScale() const { return channelOvers; }

private:
    AudioSink& next;
    std::vector<float> channelPeaks;
    std::vector<std::uint64_t> channelOvers;
};

// Holds the whole render in an anonymous temporary file, so memory stays
// bounded by a block, and on commit writes it on to a sink scaled so that
// its highest peak sits at the chosen level. Silence passes unchanged.
class Normalizer final : public AudioSink {
public:
    // Throws AudioFileError when no temporary file can be made.
    Normalizer(AudioSink& next, std::size_t channels, double peakDbfs);

    void write(const float* interleaved, std::size_t frames) override;
    void commit() override;
    bool integerSamples() const override { return next.integerSamples(); }

    // The gain applied, in dB; valid after commit.
    double gainDb() const { return appliedGainDb; }
    bool silent() const { return peak == 0.0f; }

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    AudioSink& next;
    std::size_t channels;
    double targetDbfs;
    std::unique_ptr<std::FILE, Closer> spool;
    float peak = 0.0f;
    double appliedGainDb = 0.0;
};
