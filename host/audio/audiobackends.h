// The backends behind OpenAudioSource and CreateAudioSink, and what they share.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audiofile.h"

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Raw float. Output to "-" is standard output.
std::unique_ptr<AudioSource> OpenRawSource(const std::string& path, double sampleRate);
// Standard input as raw float, whose first bytes front were already taken
// from it.
std::unique_ptr<AudioSource> OpenRawStandardInput(double sampleRate,
                                                  std::vector<unsigned char> front);
std::unique_ptr<AudioSink> CreateRawSink(const std::string& path, std::size_t channels);

// Standard input: a sound file when it starts like one (read from a copy in
// an anonymous temporary file), otherwise raw float at rawSampleRate.
std::unique_ptr<AudioSource> OpenStandardInput(double rawSampleRate);

// The built-in WAV codec. A source reads an open, seekable file; its errors
// name name.
std::unique_ptr<AudioSource> OpenWavSource(FilePtr file, const std::string& name);
std::unique_ptr<AudioSource> OpenWavSource(const std::string& path);
std::unique_ptr<AudioSink> CreateWavSink(const std::string& path, std::size_t channels,
                                         double sampleRate);

#if TAPEDELAY_HAVE_SNDFILE
// A source reads an open, seekable file from its start; its errors name name.
std::unique_ptr<AudioSource> OpenSndfileSource(FilePtr file, const std::string& name);
std::unique_ptr<AudioSink> CreateSndfileSink(const std::string& path, std::size_t channels,
                                             double sampleRate);
// What a libsndfile error code means for a file being read, in plain words;
// a system error is the system's own (see SndfileReason).
std::string SndfileProblem(int code);
// libsndfile's text for a failure, worded as the command words the same
// failure elsewhere: "System error : No space left on device." gives the
// system's own "No space left on device"; any other text loses its final
// full stop.
std::string SndfileReason(const std::string& text);
// The types CreateSndfileSink writes, as OutputTypesText lists them.
std::string SndfileOutputTypes();
#endif

// What AudioSource::truncation() says of name, cut short ("truncated"),
// or ended by damage that may be a cut ("damaged or truncated"); promised is
// empty when the header's promise is not a number of frames.
std::string TruncationText(const std::string& name, const std::string& problem,
                           std::optional<std::uint64_t> promised, std::uint64_t read);
// The error for a file cut short before its first whole frame.
[[noreturn]] void RefuseTruncatedToNothing(const std::string& name,
                                           std::optional<std::uint64_t> promised);

// Opens path for binary reading; throws AudioFileError naming it.
FilePtr OpenInputFile(const std::string& path);

// Standard input and output carry bytes, never text (Windows).
void UseBinaryMode(int fd);

// The file name's extension in lower case, with its dot ("" when none).
std::string LowerExtension(const std::string& path);

// The sample rate as a file header stores it: a whole number of Hz.
int WholeSampleRate(const std::string& path, double sampleRate);
