// The command's audio input and output: sound files and raw 32-bit float.
//
// Raw audio is headerless little-endian 32-bit float mono, named by a path
// ending in ".f32" (any case) or by "-" for standard input / standard output.
// Standard input that starts with a sound file container's signature (WAV,
// AIFF, FLAC, Ogg, CAF, W64, AU, ...) is read as that sound file instead.
// Other paths are sound files: through libsndfile when the build has it
// (TAPEDELAY_HAVE_SNDFILE), otherwise through the built-in WAV codec, which
// words its errors the same way.
// Output goes to a temporary file beside the target, renamed over it only by
// commit() (see host/files/outputfile.h): an existing target keeps its
// permission bits, a symbolic link stays a link, and the same audio gives
// the same bytes (but for Ogg Vorbis, where libsndfile picks a random stream
// serial number).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

// Any problem the sound-file code meets with an input or output file (the
// safe-output steps, creating, writing and renaming the temporary file,
// raise OutputFileError); what() is one line naming the file ("standard
// input" / "standard output" for "-") and saying plainly what is wrong, e.g.
// "in.wav: damaged or truncated (no audio data found)".
struct AudioFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A streaming reader.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual double sampleRate() const = 0;
    virtual std::size_t channels() const = 0;
    // Total frames when known (files, and a sound file on standard input);
    // empty for raw standard input.
    virtual std::optional<std::uint64_t> frames() const = 0;
    // Reads up to maxFrames interleaved frames into out; returns the frames
    // read, 0 at the end.
    virtual std::size_t read(float* out, std::size_t maxFrames) = 0;
    // Once read() has returned 0: for a file that ended before the audio its
    // header promises, a warning naming it and the frames read, e.g.
    // "t.wav: truncated: the header promises 96000 frames, 28 were read";
    // otherwise empty. A file of which nothing can be read is an error.
    virtual std::string truncation() const { return {}; }
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
// Opening "-" reads the first bytes of standard input to tell a sound file
// from raw float; a sound file is then copied whole into an anonymous
// temporary file, which nothing outlives.
std::unique_ptr<AudioSource> OpenAudioSource(const std::string& path, double rawSampleRate);
std::unique_ptr<AudioSink> CreateAudioSink(const std::string& path, std::size_t channels,
                                           double sampleRate);

// The output file types this build writes and their samples, one per line,
// for help texts.
std::string OutputTypesText();

// "-" or a path ending in ".f32". Standard input may still turn out to hold
// a sound file when opened.
bool IsRawAudioPath(const std::string& path);
// Both name the same existing file; false when either is "-" or missing.
bool SameFile(const std::string& a, const std::string& b);
