// Choosing the backend for a path, and the helpers the backends share.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <system_error>

#include "audiobackends.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace fs = std::filesystem;

namespace {

void checkInputPath(const std::string& path)
{
    std::error_code ignored;
    const fs::file_type type = fs::status(path, ignored).type();
    if (type == fs::file_type::not_found)
        throw AudioFileError(path + ": no such file");
    if (type == fs::file_type::directory)
        throw AudioFileError(path + ": is a directory, not an audio file");
    // The sound file readers would only call it unrecognised.
    if (type == fs::file_type::regular && !IsRawAudioPath(path) &&
        fs::file_size(path, ignored) == 0)
        throw AudioFileError(path + ": is empty, not a sound file");
}

#if !TAPEDELAY_HAVE_SNDFILE
[[noreturn]] void refuseAllButWav(const std::string& path)
{
    throw AudioFileError(
        path + ": this build reads and writes only WAV (.wav) and raw float (.f32) files");
}
#endif

} // namespace

FilePtr OpenInputFile(const std::string& path)
{
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw AudioFileError(path + ": cannot open: " + std::strerror(errno));
    return file;
}

std::string TruncationText(const std::string& name, const std::string& problem,
                           std::optional<std::uint64_t> promised, std::uint64_t read)
{
    const std::string head = name + ": " + problem + ": the header promises ";
    const std::string count = std::to_string(read);
    if (!promised)
        return head + "more audio than the file holds; " + count +
               (read == 1 ? " frame was read" : " frames were read");
    return head + std::to_string(*promised) + " frames, " + count +
           (read == 1 ? " was read" : " were read");
}

void RefuseTruncatedToNothing(const std::string& name, std::optional<std::uint64_t> promised)
{
    throw AudioFileError(name + ": damaged or truncated (the header promises " +
                         (promised ? std::to_string(*promised) + " frames" : "audio") +
                         ", none could be read)");
}

void UseBinaryMode([[maybe_unused]] int fd)
{
#if defined(_WIN32)
    _setmode(fd, _O_BINARY);
#endif
}

std::string LowerExtension(const std::string& path)
{
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

int WholeSampleRate(const std::string& path, double sampleRate)
{
    if (!(sampleRate >= 1 && sampleRate <= INT_MAX && std::floor(sampleRate) == sampleRate)) {
        std::ostringstream message;
        message << path << ": cannot store a sample rate of " << std::setprecision(15) << sampleRate
                << " Hz (the file holds whole numbers of Hz)";
        throw AudioFileError(message.str());
    }
    return static_cast<int>(sampleRate);
}

bool IsRawAudioPath(const std::string& path)
{
    return path == "-" || LowerExtension(path) == ".f32";
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == "-" || b == "-")
        return false;
    std::error_code error;
    const bool same = fs::equivalent(a, b, error);
    return !error && same;
}

std::string OutputTypesText()
{
    std::string text = "  .wav    32-bit float\n";
#if TAPEDELAY_HAVE_SNDFILE
    text += SndfileOutputTypes();
#endif
    return text + "  .f32    raw 32-bit float mono (also - for standard output)\n";
}

std::unique_ptr<AudioSource> OpenAudioSource(const std::string& path, double rawSampleRate)
{
    if (path == "-")
        return OpenStandardInput(rawSampleRate);
    checkInputPath(path);
    if (IsRawAudioPath(path))
        return OpenRawSource(path, rawSampleRate);
#if TAPEDELAY_HAVE_SNDFILE
    return OpenSndfileSource(OpenInputFile(path), path);
#else
    if (LowerExtension(path) != ".wav")
        refuseAllButWav(path);
    return OpenWavSource(path);
#endif
}

std::unique_ptr<AudioSink> CreateAudioSink(const std::string& path, std::size_t channels,
                                           double sampleRate)
{
    if (channels == 0)
        throw AudioFileError(path + ": cannot write audio with no channels");
    if (IsRawAudioPath(path))
        return CreateRawSink(path, channels);
    // One WAV writer on every platform: the same bytes everywhere, and the
    // float header every reader takes without complaint (libsndfile's lacks
    // the size of the format's extension).
    if (LowerExtension(path) == ".wav")
        return CreateWavSink(path, channels, sampleRate);
#if TAPEDELAY_HAVE_SNDFILE
    return CreateSndfileSink(path, channels, sampleRate);
#else
    refuseAllButWav(path);
#endif
}
