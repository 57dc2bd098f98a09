// Raw audio: headerless little-endian 32-bit float mono, from a file or a pipe.
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "audiobackends.h"
#include "host/files/outputfile.h"

// The POSIX descriptor calls; on Windows the C runtime's, under the same names.
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

// Samples go between memory and the stream unconverted.
static_assert(std::endian::native == std::endian::little);
static_assert(std::numeric_limits<float>::is_iec559 && sizeof(float) == 4);

namespace {

constexpr std::size_t kSampleBytes = sizeof(float);

class RawSource final : public AudioSource {
public:
    // owned is null for standard input, which stays open. The stream's first
    // bytes may already have been taken from it: they come in front.
    RawSource(FilePtr owned, std::FILE* file, std::string name, double rate,
              std::optional<std::uint64_t> totalFrames, std::vector<unsigned char> front = {})
        : owned(std::move(owned)),
          file(file),
          name(std::move(name)),
          rate(rate),
          totalFrames(totalFrames),
          front(std::move(front))
    {}

    double sampleRate() const override { return rate; }
    std::size_t channels() const override { return 1; }
    std::optional<std::uint64_t> frames() const override { return totalFrames; }

    std::size_t read(float* out, std::size_t maxFrames) override
    {
        const std::size_t wanted = maxFrames * kSampleBytes;
        std::size_t got = std::min(wanted, front.size() - frontUsed);
        if (got != 0) {
            std::memcpy(out, front.data() + frontUsed, got);
            frontUsed += got;
        }
        // fread comes back short only at the end or on an error.
        got += std::fread(reinterpret_cast<unsigned char*>(out) + got, 1, wanted - got, file);
        if (std::ferror(file))
            throw AudioFileError(name + ": read failed: " + std::strerror(errno));
        bytesRead += got;
        if (got % kSampleBytes != 0)
            throw AudioFileError(partialSample(name, bytesRead));
        return got / kSampleBytes;
    }

    static std::string partialSample(const std::string& name, std::uint64_t bytes)
    {
        return name + ": raw input ends inside a sample (" + std::to_string(bytes) +
               " bytes is not a whole number of 32-bit floats)";
    }

private:
    FilePtr owned;
    std::FILE* file;
    std::string name;
    double rate;
    std::optional<std::uint64_t> totalFrames;
    std::vector<unsigned char> front;
    std::size_t frontUsed = 0;
    std::uint64_t bytesRead = 0;
};

// Moves standard output aside for the audio: descriptor 1 then goes to
// standard error, so that text anything else prints cannot corrupt the audio.
std::FILE* takeStandardOutput()
{
    std::cout.flush();
    std::fflush(stdout);
    const int audio = dup(1);
    if (audio < 0 || dup2(2, 1) < 0) {
        const int error = errno;
        if (audio >= 0)
            close(audio);
        throw AudioFileError(std::string("standard output: cannot use it for audio: ") +
                             std::strerror(error));
    }
    UseBinaryMode(audio);
    std::FILE* file = fdopen(audio, "wb");
    if (file == nullptr)
        close(audio);
    return file;
}

class RawSink final : public AudioSink {
public:
    explicit RawSink(const std::string& path) : temporary(std::in_place, path), stream(*temporary)
    {}
    explicit RawSink(std::FILE* standardOutput) : stream(standardOutput, "standard output") {}

    void write(const float* interleaved, std::size_t frames) override
    {
        stream.write(interleaved, frames * kSampleBytes);
    }

    bool integerSamples() const override { return false; }

    void commit() override
    {
        stream.close();
        if (temporary)
            temporary->commit();
    }

private:
    std::optional<TemporaryOutput> temporary; // none for standard output
    OutputStream stream;
};

} // namespace

std::unique_ptr<AudioSource> OpenRawStandardInput(double sampleRate,
                                                  std::vector<unsigned char> front)
{
    return std::make_unique<RawSource>(nullptr, stdin, "standard input", sampleRate, std::nullopt,
                                       std::move(front));
}

std::unique_ptr<AudioSource> OpenRawSource(const std::string& path, double sampleRate)
{
    FilePtr file = OpenInputFile(path);
    // A pipe has no size; its length is checked when it ends.
    std::error_code noSize;
    const std::uintmax_t bytes = std::filesystem::file_size(path, noSize);
    std::optional<std::uint64_t> frames;
    if (!noSize) {
        if (bytes % kSampleBytes != 0)
            throw AudioFileError(RawSource::partialSample(path, bytes));
        frames = bytes / kSampleBytes;
    }
    std::FILE* stream = file.get();
    return std::make_unique<RawSource>(std::move(file), stream, path, sampleRate, frames);
}

std::unique_ptr<AudioSink> CreateRawSink(const std::string& path, std::size_t channels)
{
    if (channels != 1)
        throw AudioFileError((path == "-" ? "standard output" : path) +
                             std::string(": raw float output is mono; ") +
                             std::to_string(channels) + " channels need a sound file such as .wav");
    if (path == "-")
        return std::make_unique<RawSink>(takeStandardOutput());
    return std::make_unique<RawSink>(path);
}
