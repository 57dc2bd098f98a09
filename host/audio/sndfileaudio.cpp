// Sound files through libsndfile. Reading takes any format it recognises;
// writing picks the container from the extension (but WAV).
#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "audiobackends.h"
#include "host/files/outputfile.h"

namespace {

// Samples moved per call into the library: a render's blocks are small, and
// each call is a system call.
constexpr std::size_t kBufferSamples = 1 << 15;

std::size_t BufferFrames(std::size_t channels)
{
    return std::max<std::size_t>(1, kBufferSamples / std::max<std::size_t>(1, channels));
}

struct OutputType {
    const char* extension;
    int format;
    bool integerSamples;
    const char* samples; // for the help text
};

// 32-bit float wherever the container holds it. WAV has a writer of its own.
constexpr const char* kFloat = "32-bit float";
constexpr OutputType kOutputTypes[] = {
    {".aif", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, false, kFloat},
    {".aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, false, kFloat},
    {".flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, true, "24-bit integer, clipped at full scale"},
    {".caf", SF_FORMAT_CAF | SF_FORMAT_FLOAT, false, kFloat},
    {".w64", SF_FORMAT_W64 | SF_FORMAT_FLOAT, false, kFloat},
    {".au", SF_FORMAT_AU | SF_FORMAT_FLOAT, false, kFloat},
    {".ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, false, "Ogg Vorbis (lossy)"},
};

bool libraryWrites(int format, int channels, int sampleRate)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    return sf_format_check(&info) == SF_TRUE;
}

const OutputType& outputType(const std::string& path)
{
    const std::string extension = LowerExtension(path);
    std::string supported = " .wav";
    for (const OutputType& type : kOutputTypes) {
        if (!libraryWrites(type.format, 1, 48000))
            continue;
        if (extension == type.extension)
            return type;
        supported += std::string(" ") + type.extension;
    }
    throw AudioFileError(path + ": unknown output file type \"" + extension +
                         "\"; supported:" + supported + " .f32");
}

// The bytes of one frame in a fixed-size encoding; 0 for the others.
sf_count_t FrameBytes(const SF_INFO& info)
{
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return info.channels;
    case SF_FORMAT_PCM_16: return 2 * info.channels;
    case SF_FORMAT_PCM_24: return 3 * info.channels;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 4 * info.channels;
    case SF_FORMAT_DOUBLE: return 8 * info.channels;
    default: return 0;
    }
}

// Whether the file ends inside its audio, and the frames its header then
// promises (unknown in an encoding of no fixed frame size). The library
// reads what there is without a word, but notes the cut in its log, as
// "data : 192000 (should be 56)" (WAV), "SSND : ..." (AIFF) or
// "Data Size : ..." (AU): the sizes of the audio in bytes, as the header
// gives it and as the file holds it.
struct CutShort {
    const char* problem = nullptr; // none found
    std::optional<std::uint64_t> promisedFrames;
};

CutShort FindCutShort(SNDFILE* sound, const SF_INFO& info)
{
    std::string log(1 << 14, '\0');
    log.resize(static_cast<std::size_t>(std::max(
        0, sf_command(sound, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size())))));
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        char chunk[16] = {};
        long long given = 0, held = 0;
        // 0xFFFFFFFF is the size a program writing to a pipe gives: the
        // audio simply runs to the end.
        if (std::sscanf(line.c_str(), " %15[A-Za-z ] : %lld (should be %lld)", chunk, &given,
                        &held) != 3 ||
            given <= held || given == 0xFFFFFFFFLL)
            continue;
        std::string_view name(chunk);
        name.remove_suffix(name.size() - name.find_last_not_of(' ') - 1);
        if (name != "data" && name != "SSND" && name != "Data Size")
            continue;
        CutShort cut{"truncated", std::nullopt};
        // A frame cut off at the end still counts as promised.
        if (const sf_count_t frameBytes = FrameBytes(info); frameBytes > 0)
            cut.promisedFrames = static_cast<std::uint64_t>(
                info.frames + (given - held + frameBytes - 1) / frameBytes);
        return cut;
    }
    return {};
}

// What went wrong reading sound (null: opening it), in plain words.
std::string ReadProblem(SNDFILE* sound)
{
    const int code = sf_error(sound);
    return code == SF_ERR_SYSTEM ? "read failed: " + SndfileReason(sf_strerror(sound))
                                 : SndfileProblem(code);
}

class SndfileSource final : public AudioSource {
public:
    SndfileSource(FilePtr file, const std::string& name)
        : name(name),
          file(std::move(file)),
          sound(sf_open_fd(fileno(this->file.get()), SFM_READ, &info, SF_FALSE))
    {
        if (sound == nullptr)
            throw AudioFileError(name + ": " + ReadProblem(nullptr));
        cut = FindCutShort(sound, info);
        if (cut.problem != nullptr && info.frames == 0) {
            sf_close(sound);
            RefuseTruncatedToNothing(name, cut.promisedFrames);
        }
    }
    ~SndfileSource() override { sf_close(sound); }
    SndfileSource(const SndfileSource&) = delete;
    SndfileSource& operator=(const SndfileSource&) = delete;

    double sampleRate() const override { return info.samplerate; }
    std::size_t channels() const override { return static_cast<std::size_t>(info.channels); }
    std::optional<std::uint64_t> frames() const override
    {
        if (info.frames == SF_COUNT_MAX) // a pipe
            return std::nullopt;
        return static_cast<std::uint64_t>(info.frames);
    }
    std::string truncation() const override
    {
        return cut.problem != nullptr ? TruncationText(name, cut.problem, cut.promisedFrames,
                                                       static_cast<std::uint64_t>(framesRead))
                                      : "";
    }

    // Fills out whole unless the file ends: small reads come from a buffer
    // read ahead, large ones straight from the library.
    std::size_t read(float* out, std::size_t maxFrames) override
    {
        const std::size_t channelCount = channels();
        const std::size_t bufferFrames = BufferFrames(channelCount);
        std::size_t got = 0;
        while (got < maxFrames) {
            if (next == buffered) {
                if (maxFrames - got >= bufferFrames) {
                    const std::size_t n = readFrames(out + got * channelCount, maxFrames - got);
                    got += n;
                    if (n == 0)
                        break;
                    continue;
                }
                buffer.resize(bufferFrames * channelCount);
                next = 0;
                buffered = readFrames(buffer.data(), bufferFrames);
                if (buffered == 0)
                    break;
            }
            const std::size_t n = std::min(maxFrames - got, buffered - next);
            std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>(next * channelCount),
                        n * channelCount, out + got * channelCount);
            next += n;
            got += n;
        }
        return got;
    }

private:
    // Up to `frames` frames from the library; 0 at the end.
    std::size_t readFrames(float* out, std::size_t frames)
    {
        const sf_count_t got = sf_readf_float(sound, out, static_cast<sf_count_t>(frames));
        if (got == 0 && frames != 0) {
            const int code = sf_error(sound);
            if (code == SF_ERR_SYSTEM || (code != SF_ERR_NO_ERROR && framesRead == 0))
                throw AudioFileError(name + ": " + ReadProblem(sound));
            // A decoder (FLAC's) stops where the data is cut off or damaged,
            // short of the frames its header gives, at times without an error.
            if (knownLength() && framesRead < info.frames) {
                if (framesRead == 0)
                    RefuseTruncatedToNothing(name, static_cast<std::uint64_t>(info.frames));
                cut = {"damaged or truncated", static_cast<std::uint64_t>(info.frames)};
            } else if (code != SF_ERR_NO_ERROR) {
                throw AudioFileError(name + ": " + ReadProblem(sound));
            }
        }
        framesRead += got;
        return static_cast<std::size_t>(got);
    }

    // Whether the header's frame count is exact: an MP3's may be an estimate.
    bool knownLength() const
    {
        return info.frames != SF_COUNT_MAX && (info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_MPEG;
    }

    std::string name;
    FilePtr file; // outlives sound, which reads its descriptor
    SF_INFO info{};
    SNDFILE* sound;
    sf_count_t framesRead = 0;
    CutShort cut;
    std::vector<float> buffer; // frames read ahead: [next, buffered) not yet given
    std::size_t next = 0;
    std::size_t buffered = 0;
};

class SndfileSink final : public AudioSink {
public:
    SndfileSink(const std::string& path, std::size_t channels, double sampleRate)
        : type(outputType(path)),
          temporary(path)
    {
        SF_INFO info{};
        info.format = type.format;
        info.samplerate = WholeSampleRate(path, sampleRate);
        info.channels = static_cast<int>(std::min<std::size_t>(channels, INT_MAX));
        if (!libraryWrites(info.format, info.channels, info.samplerate))
            throw AudioFileError(path + ": a " + LowerExtension(path) + " file cannot hold " +
                                 std::to_string(channels) + " channels at " +
                                 std::to_string(info.samplerate) + " Hz");
        frameSamples = static_cast<std::size_t>(info.channels);
        buffer.reserve(BufferFrames(frameSamples) * frameSamples);
        file = sf_open(temporary.path().c_str(), SFM_WRITE, &info);
        if (file == nullptr)
            throw AudioFileError(path + ": cannot create: " + SndfileReason(sf_strerror(nullptr)));
        // Integer samples saturate at full scale rather than wrap around.
        sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        // No PEAK chunk: it carries the time of writing, and the same audio
        // must give the same bytes.
        sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    }
    ~SndfileSink() override
    {
        if (file != nullptr)
            sf_close(file);
    }
    SndfileSink(const SndfileSink&) = delete;
    SndfileSink& operator=(const SndfileSink&) = delete;

    void write(const float* interleaved, std::size_t frames) override
    {
        const std::size_t capacity = BufferFrames(frameSamples) * frameSamples;
        for (std::size_t left = frames * frameSamples; left > 0;) {
            const std::size_t n = std::min(left, capacity - buffer.size());
            buffer.insert(buffer.end(), interleaved, interleaved + n);
            interleaved += n;
            left -= n;
            if (buffer.size() == capacity)
                flush();
        }
    }

    bool integerSamples() const override { return type.integerSamples; }

    void commit() override
    {
        flush();
        const int error = sf_close(std::exchange(file, nullptr));
        if (error != SF_ERR_NO_ERROR)
            throw AudioFileError(temporary.target() +
                                 ": write failed: " + SndfileReason(sf_error_number(error)));
        temporary.commit();
    }

private:
    void flush()
    {
        const auto count = static_cast<sf_count_t>(buffer.size() / frameSamples);
        if (count > 0 && sf_writef_float(file, buffer.data(), count) != count)
            throw AudioFileError(temporary.target() +
                                 ": write failed: " + SndfileReason(sf_strerror(file)));
        buffer.clear();
    }

    const OutputType& type;
    TemporaryOutput temporary;
    SNDFILE* file = nullptr;
    std::size_t frameSamples = 1;
    std::vector<float> buffer; // whole frames not yet given to the library
};

} // namespace

std::unique_ptr<AudioSource> OpenSndfileSource(FilePtr file, const std::string& name)
{
    return std::make_unique<SndfileSource>(std::move(file), name);
}

std::unique_ptr<AudioSink> CreateSndfileSink(const std::string& path, std::size_t channels,
                                             double sampleRate)
{
    return std::make_unique<SndfileSink>(path, channels, sampleRate);
}

std::string SndfileOutputTypes()
{
    std::string text;
    for (const OutputType& type : kOutputTypes)
        if (libraryWrites(type.format, 1, 48000))
            text += std::string("  ") + type.extension +
                    std::string(8 - std::string_view(type.extension).size(), ' ') + type.samples +
                    "\n";
    return text;
}
