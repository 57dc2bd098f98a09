// Standard input: a sound file piped in reads as the file itself; anything
// else is raw float from its very first byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/host/audio/audiotest.h"

#if TAPEDELAY_HAVE_SNDFILE
#include <sndfile.h>
#endif

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Feeds bytes to standard input through a pipe while it lives, as a shell
// pipeline does.
class PipedStandardInput {
public:
    explicit PipedStandardInput(Bytes bytes) : saved(dup(0))
    {
        int ends[2];
#if defined(_WIN32)
        _pipe(ends, 1 << 16, _O_BINARY);
#else
        EXPECT_EQ(pipe(ends), 0);
#endif
        dup2(ends[0], 0);
        close(ends[0]);
        writer = std::thread([fd = ends[1], bytes = std::move(bytes)] {
            for (std::size_t done = 0; done < bytes.size();) {
                const auto wrote =
                    write(fd, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
                if (wrote <= 0)
                    break;
                done += static_cast<std::size_t>(wrote);
            }
            close(fd);
        });
    }
    ~PipedStandardInput()
    {
        // Whatever the reader left, so that the writer finishes and nothing
        // stays in stdin's buffer for the next test.
        while (std::fgetc(stdin) != EOF) {
        }
        writer.join();
        dup2(saved, 0);
        close(saved);
        std::clearerr(stdin);
    }
    PipedStandardInput(const PipedStandardInput&) = delete;
    PipedStandardInput& operator=(const PipedStandardInput&) = delete;

private:
    int saved;
    std::thread writer;
};

// file through standard input reads as file does.
void ExpectPipedReadsAsFile(const std::string& file)
{
    SCOPED_TRACE(file);
    const auto direct = OpenAudioSource(file, 8000);
    const PipedStandardInput piped(ScratchDirectory::readBytes(file));
    const auto source = OpenAudioSource("-", 8000);
    EXPECT_EQ(source->sampleRate(), direct->sampleRate());
    EXPECT_EQ(source->channels(), direct->channels());
    EXPECT_EQ(source->frames(), direct->frames());
    EXPECT_EQ(ReadAll(*source), ReadAll(*direct));
}

#if TAPEDELAY_HAVE_SNDFILE
// Writes samples in a format the command's outputs never use.
void WriteWithLibrary(const std::string& file, int format, const std::vector<float>& samples)
{
    SF_INFO info{};
    info.format = format;
    info.channels = 2;
    info.samplerate = 16000;
    SNDFILE* sound = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(sound, nullptr) << file << ": " << sf_strerror(nullptr);
    sf_writef_float(sound, samples.data(), static_cast<sf_count_t>(samples.size() / 2));
    sf_close(sound);
}
#endif

} // namespace

TEST_F(AudioFileTest, StandardInputHoldingASoundFile)
{
    // More than one block of the copy to the temporary file.
    const std::vector<float> stereo = Noise(2 * 30000);
    WriteAll(CreateWavSink(path("builtin.wav"), 2, 44100), stereo, 2);
    ExpectPipedReadsAsFile(path("builtin.wav"));
#if TAPEDELAY_HAVE_SNDFILE
    for (const char* extension : {".wav", ".flac", ".aiff", ".caf", ".w64", ".au", ".ogg"}) {
        WriteAll(CreateAudioSink(path(std::string("out") + extension), 2, 44100), stereo, 2);
        ExpectPipedReadsAsFile(path(std::string("out") + extension));
    }
    const struct {
        const char* name;
        int format;
    } others[] = {
        {"big.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_BIG},
        {"a.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
        {"little.au", SF_FORMAT_AU | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE},
        {"a.nist", SF_FORMAT_NIST | SF_FORMAT_PCM_16},
        {"a.voc", SF_FORMAT_VOC | SF_FORMAT_PCM_16},
        {"a.avr", SF_FORMAT_AVR | SF_FORMAT_PCM_16},
        {"a.pvf", SF_FORMAT_PVF | SF_FORMAT_PCM_16},
        {"a.mat", SF_FORMAT_MAT5 | SF_FORMAT_FLOAT},
    };
    for (const auto& other : others) {
        WriteWithLibrary(path(other.name), other.format, stereo);
        ExpectPipedReadsAsFile(path(other.name));
    }
#else
    {
        const PipedStandardInput flac({'f', 'L', 'a', 'C', 0, 0, 0, 34});
        EXPECT_EQ(ErrorOf([] { OpenAudioSource("-", 8000); }),
                  "standard input: holds a sound file this build cannot read; it reads only WAV "
                  "and raw float audio");
    }
#endif
    const PipedStandardInput broken(Wav({Fmt(1, 1, 16)}));
    EXPECT_EQ(ErrorOf([] { OpenAudioSource("-", 8000); }),
              "standard input: damaged or truncated (no audio data found)");
}

TEST_F(AudioFileTest, StandardInputHoldingRawFloat)
{
    // Longer and shorter than what is looked at to tell the two apart; the
    // first samples are ones whose bytes spell nothing.
    const std::vector<float> signal = Noise(30000);
    for (const std::size_t length : {30000, 4, 1, 0}) {
        const std::vector<float> samples(signal.begin(),
                                         signal.begin() + static_cast<std::ptrdiff_t>(length));
        Bytes bytes(samples.size() * sizeof(float));
        if (!bytes.empty())
            std::memcpy(bytes.data(), samples.data(), bytes.size());
        const PipedStandardInput piped(bytes);
        const auto source = OpenAudioSource("-", 22050);
        EXPECT_EQ(source->sampleRate(), 22050);
        EXPECT_EQ(source->frames(), std::nullopt);
        EXPECT_EQ(ReadAll(*source), samples) << length;
    }
    // The length check comes at the end.
    const PipedStandardInput odd({0, 0, 0x80, 0x3F, 1, 2});
    const auto source = OpenAudioSource("-", 8000);
    float samples[4];
    EXPECT_EQ(ErrorOf([&] { source->read(samples, 4); }),
              "standard input: raw input ends inside a sample (6 bytes is not a whole number of "
              "32-bit floats)");
}
