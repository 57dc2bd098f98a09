// The command's audio input and output: sound files and raw 32-bit float.
//
// Raw audio is headerless little-endian 32-bit float mono, named by a path
// ending in ".f32" (any case) or by "-" for standard input / standard output.
// Other paths are sound files: through libsndfile when the build has it
// (TAPEDELAY_HAVE_SNDFILE), otherwise through the built-in WAV codec.
// Output goes to a temporary file beside the target, renamed over it only by
// commit().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// Any problem with an input or output file; what() is one line naming the file.
struct AudioFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A streaming reader.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual double sampleRate() const = 0;
    virtual std::size_t channels() const = 0;
    // Total frames when known (files); empty for standard input.
    virtual std::optional<std::uint64_t> frames() const = 0;
    // Reads up to maxFrames interleaved frames into out; returns the frames
    // read, 0 at the end.
    virtual std::size_t read(float* out, std::size_t maxFrames) = 0;
};

// A streaming writer. Destroying it without commit() discards what was
// written and leaves an existing target untouched.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    virtual void write(const float* interleaved, std::size_t frames) = 0;
    // True when the file stores integer samples (24-bit FLAC), which saturate
    // at full scale; float files (and Ogg Vorbis) keep values beyond 1.0.
    virtual bool integerSamples() const = 0;
    // Flushes, closes and renames the output into place.
    virtual void commit() = 0;
};

// rawSampleRate is the rate of raw input, which carries none of its own.
std::unique_ptr<AudioSource> OpenAudioSource(const std::string& path, double rawSampleRate);
std::unique_ptr<AudioSink> CreateAudioSink(const std::string& path, std::size_t channels,
                                           double sampleRate);

// "-" or a path ending in ".f32".
bool IsRawAudioPath(const std::string& path);
// Both name the same existing file; false when either is "-" or missing.
bool SameFile(const std::string& a, const std::string& b);
