// The audio file layer: raw float, the built-in WAV codec, libsndfile and the
// commit-or-discard output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/host/audio/audiotest.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

TEST_F(AudioFileTest, RawRoundTripAndLengthCheck)
{
    const std::string raw = path("signal.F32");
    WriteAll(CreateAudioSink(raw, 1, 48000), kSignal, 1);
    const auto source = OpenAudioSource(raw, 44100.5);
    EXPECT_EQ(source->sampleRate(), 44100.5);
    EXPECT_EQ(source->frames(), kSignal.size());
    EXPECT_EQ(ReadAll(*source), kSignal);

    writeBytes(path("odd.f32"), Bytes(7));
    EXPECT_EQ(ErrorOf([&] { OpenAudioSource(path("odd.f32"), 48000); }),
              path("odd.f32") + ": raw input ends inside a sample "
                                "(7 bytes is not a whole number of 32-bit floats)");
    EXPECT_EQ(ErrorOf([&] { CreateAudioSink(raw, 2, 48000); }),
              raw + ": raw float output is mono; 2 channels need a sound file such as .wav");
}

// Standard output carries only the audio; other text goes to standard error.
TEST_F(AudioFileTest, RawStandardOutput)
{
    std::fflush(stdout);
    const int saved[2] = {dup(1), dup(2)};
    std::FILE* out = std::fopen(path("out").c_str(), "wb");
    std::FILE* err = std::fopen(path("err").c_str(), "wb");
    dup2(fileno(out), 1);
    dup2(fileno(err), 2);
    auto sink = CreateAudioSink("-", 1, 8000);
    std::printf("chatter");
    std::fflush(stdout);
    WriteAll(std::move(sink), kSignal, 1);

    for (int fd = 1; fd <= 2; ++fd) {
        dup2(saved[fd - 1], fd);
        close(saved[fd - 1]);
    }
    for (std::FILE* file : {out, err})
        std::fclose(file);
    const Bytes audio = ScratchDirectory::readBytes(path("out"));
    ASSERT_EQ(audio.size(), kSignal.size() * 4);
    EXPECT_EQ(std::memcmp(audio.data(), kSignal.data(), audio.size()), 0);
    EXPECT_EQ(ScratchDirectory::readBytes(path("err")), Bytes({'c', 'h', 'a', 't', 't', 'e', 'r'}));
}

TEST_F(AudioFileTest, WavRoundTrip)
{
    for (std::size_t channels : {1, 2, 3}) {
        const std::string wav = path("round" + std::to_string(channels) + ".wav");
        WriteAll(CreateWavSink(wav, channels, 96000), kSignal, channels);
        // Float with the extension's size (0), or extensible beyond two
        // channels: the fmt chunk's size and the format tag.
        const Bytes bytes = ScratchDirectory::readBytes(wav);
        EXPECT_EQ(bytes[16], channels > 2 ? 40 : 18);
        EXPECT_EQ(bytes[20], channels > 2 ? 0xFE : 3);
        const auto source = OpenWavSource(wav);
        EXPECT_EQ(source->sampleRate(), 96000);
        EXPECT_EQ(source->channels(), channels);
        EXPECT_EQ(source->frames(), kSignal.size() / channels);
        EXPECT_EQ(ReadAll(*source), kSignal);
    }
    CreateWavSink(path("empty.wav"), 2, 44100)->commit();
    const auto empty = OpenWavSource(path("empty.wav"));
    EXPECT_EQ(empty->frames(), 0u);
    EXPECT_EQ(ReadAll(*empty), std::vector<float>());
}

TEST_F(AudioFileTest, WavReaderDecodes)
{
    Chunk fmt18 = Fmt(1, 2, 16); // with the cbSize field many writers add
    fmt18.body.insert(fmt18.body.end(), {0, 0});
    const struct {
        Bytes image;
        std::size_t channels;
        std::vector<float> samples;
    } cases[] = {
        // An odd-sized unknown chunk before fmt.
        {Wav({{"LIST", {1, 2, 3}}, fmt18, Data({0x8000, 0x4000, 0x7FFF, 0xFFFF}, 2)}),
         2,
         {-1.0f, 0.5f, 32767 / 32768.0f, -1 / 32768.0f}},
        {Wav({Fmt(1, 1, 24), Data({0x800000, 0x400000, 0xFFFFFF}, 3)}),
         1,
         {-1.0f, 0.5f, -1 / 8388608.0f}},
        {Wav({Fmt(1, 1, 8), Data({0, 128, 192}, 1)}), 1, {-1.0f, 0.0f, 0.5f}},
        {Wav({Fmt(1, 1, 32), Data({0x80000000, 0x40000000}, 4)}), 1, {-1.0f, 0.5f}},
        {Wav({Fmt(3, 1, 64), Data({0x3FD0000000000000, 0xC008000000000000}, 8)}),
         1,
         {0.25f, -3.0f}},
        // Extensible float, data before fmt.
        {Wav({Data({0x3FC00000, 0xBF000000, 0x40000000}, 4), Fmt(3, 3, 32, true)}),
         3,
         {1.5f, -0.5f, 2.0f}},
        {Wav({Fmt(1, 1, 16, true), Data({0xC000}, 2)}), 1, {-0.5f}},
    };
    for (const auto& c : cases) {
        writeBytes(path("in.wav"), c.image);
        const auto source = OpenWavSource(path("in.wav"));
        EXPECT_EQ(source->sampleRate(), 22050);
        EXPECT_EQ(source->channels(), c.channels);
        EXPECT_EQ(source->frames(), c.samples.size() / c.channels);
        EXPECT_EQ(ReadAll(*source), c.samples);
    }
}

TEST_F(AudioFileTest, WavReaderRefusesMalformed)
{
    Chunk badAlign = Fmt(1, 2, 16);
    badAlign.body[12] = 3;
    Bytes rifx = Wav({});
    rifx[3] = 'X';
    Bytes cutHeader = Wav({Fmt(1, 1, 16)});
    cutHeader.insert(cutHeader.end(), {'d', 'a'});
    Bytes cutFmt = Wav({{"fmt ", Bytes(10)}});
    cutFmt[16] = 16; // the declared sizes
    Bytes cutData = Wav({Fmt(1, 2, 16), {"data", Bytes(2)}});
    cutData[40] = 100;
    const struct {
        Bytes image;
        const char* error;
    } cases[] = {
        {{'R', 'I', 'F', 'F'}, "not a WAV file (unrecognised format)"},
        {Bytes(16, 'x'), "not a WAV file (unrecognised format)"},
        {rifx, "RIFX WAV files are not supported"},
        {Wav({Data({1}, 2)}), "damaged or truncated (no format header found)"},
        {Wav({Fmt(1, 1, 16)}), "damaged or truncated (no audio data found)"},
        {cutFmt, "damaged or truncated (bad format header)"},
        {Wav({{"fmt ", Bytes(14)}, Data({}, 2)}),
         "damaged or truncated (bad format header: 14 bytes long)"},
        {Wav({Fmt(0x55, 1, 16), Data({}, 2)}),
         "compressed or unknown WAV encoding (format tag 0x55); only integer PCM and IEEE float "
         "are supported"},
        {Wav({Fmt(1, 1, 12), Data({}, 2)}), "12-bit PCM samples are not supported"},
        {Wav({badAlign, Data({}, 2)}),
         "damaged or truncated (bad format header: block size 3 does not match 2 channels of "
         "16-bit PCM)"},
        {cutData, "damaged or truncated (the header promises 25 frames, none could be read)"},
        {Wav({Fmt(1, 2, 16), Data({1, 2, 3}, 2)}),
         "damaged or truncated (its 6 bytes of audio are not a whole number of 4-byte frames)"},
        {cutHeader, "damaged or truncated (a chunk header is cut off at byte 36)"},
    };
    for (const auto& c : cases) {
        writeBytes(path("bad.wav"), c.image);
        EXPECT_EQ(ErrorOf([&] { OpenWavSource(path("bad.wav")); }),
                  path("bad.wav") + ": " + c.error);
    }
}

TEST_F(AudioFileTest, InputPathsAndSameFile)
{
    EXPECT_EQ(ErrorOf([&] { OpenAudioSource(path("none.wav"), 48000); }),
              path("none.wav") + ": no such file");
    EXPECT_EQ(ErrorOf([&] { OpenAudioSource(dir.string(), 48000); }),
              dir.string() + ": is a directory, not an audio file");
#if !TAPEDELAY_HAVE_SNDFILE
    writeBytes(path("a.flac"), Bytes(8));
    EXPECT_EQ(ErrorOf([&] { OpenAudioSource(path("a.flac"), 48000); }),
              path("a.flac") + ": this build reads and writes only WAV (.wav) and raw float "
                               "(.f32) files");
#endif

    writeBytes(path("a"), {1});
    writeBytes(path("b"), {1});
    EXPECT_TRUE(SameFile(path("a"), (dir / "." / "a").string()));
    EXPECT_FALSE(SameFile(path("a"), path("b")));
    EXPECT_FALSE(SameFile(path("a"), path("missing")));
    EXPECT_FALSE(SameFile("-", "-"));
    EXPECT_FALSE(IsRawAudioPath("a.f32.wav"));
}

#if TAPEDELAY_HAVE_SNDFILE
TEST_F(AudioFileTest, Libsndfile)
{
    // Float containers keep everything; 24-bit FLAC rounds and saturates.
    WriteAll(CreateAudioSink(path("a.aiff"), 2, 32000), kSignal, 2);
    auto aiff = OpenAudioSource(path("a.aiff"), 0);
    EXPECT_EQ(aiff->sampleRate(), 32000);
    EXPECT_EQ(ReadAll(*aiff), kSignal);

    WriteAll(CreateAudioSink(path("a.flac"), 2, 32000), kSignal, 2);
    const std::vector<float> flac = ReadAll(*OpenAudioSource(path("a.flac"), 0));
    ASSERT_EQ(flac.size(), kSignal.size());
    for (std::size_t i = 0; i < flac.size(); ++i)
        EXPECT_NEAR(flac[i], std::clamp(kSignal[i], -1.0f, 1.0f), 2.0 / 8388608) << i;

    // The library reads what the WAV writer writes.
    WriteAll(CreateAudioSink(path("out.wav"), 3, 48000), kSignal, 3);
    EXPECT_EQ(ReadAll(*OpenAudioSource(path("out.wav"), 0)), kSignal);

    const std::string error = ErrorOf([&] { CreateAudioSink(path("a.xyz"), 1, 48000); });
    EXPECT_EQ(
        error.rfind(path("a.xyz") + ": unknown output file type \".xyz\"; supported: .wav", 0), 0u)
        << error;
    EXPECT_EQ(listing().size(), 3u); // no temporary files left
}
#endif
