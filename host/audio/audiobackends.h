// The backends behind OpenAudioSource and CreateAudioSink, and what they share.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "audiofile.h"

// Raw float: "-" is standard input / standard output.
std::unique_ptr<AudioSource> OpenRawSource(const std::string& path, double sampleRate);
std::unique_ptr<AudioSink> CreateRawSink(const std::string& path, std::size_t channels);

// The built-in WAV codec.
std::unique_ptr<AudioSource> OpenWavSource(const std::string& path);
std::unique_ptr<AudioSink> CreateWavSink(const std::string& path, std::size_t channels,
                                         double sampleRate);

#if TAPEDELAY_HAVE_SNDFILE
std::unique_ptr<AudioSource> OpenSndfileSource(const std::string& path);
std::unique_ptr<AudioSink> CreateSndfileSink(const std::string& path, std::size_t channels,
                                             double sampleRate);
#endif

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens path for binary reading; throws AudioFileError naming it.
FilePtr OpenInputFile(const std::string& path);

// The file name's extension in lower case, with its dot ("" when none).
std::string LowerExtension(const std::string& path);

// 64 random bits in 16 hex digits: enough that two runs never pick the same
// temporary name.
std::string RandomHexTag();

// The sample rate as a file header stores it: a whole number of Hz.
int WholeSampleRate(const std::string& path, double sampleRate);
