// Broken input files are refused with one line that names the file and says
// what is wrong in plain words, with either sound file reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/host/audio/audiotest.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#if TAPEDELAY_HAVE_SNDFILE
constexpr const char* kUnrecognised = "not a sound file (unrecognised format)";
constexpr const char* kTooManyChannels = "its header gives too many channels";
#else
constexpr const char* kUnrecognised = "not a WAV file (unrecognised format)";
constexpr const char* kTooManyChannels =
    "its header gives 5000 channels (at most 1024 can be read)";
#endif

#if !defined(_WIN32)
// The error action throws for a user to whom no permission bit is waived:
// as root, in a child process that has become nobody.
std::string ErrorAsAnOrdinaryUser(const std::function<void()>& action)
{
    if (geteuid() != 0)
        return ErrorOf(action);
    return ErrorInAChild([] { return setgid(65534) == 0 && setuid(65534) == 0; }, action);
}
#endif

} // namespace

TEST_F(AudioFileTest, BrokenInputsAreNamedInPlainWords)
{
    const Bytes good = Wav({Fmt(1, 1, 16), Data({1, 2, 3}, 2)});
    const std::string text = "Dear diary, this is not audio.\n";
    const struct {
        Bytes image;
        std::string error;
    } cases[] = {
        {{}, "is empty, not a sound file"},
        {Bytes(text.begin(), text.end()), kUnrecognised},
        {Bytes(good.begin(), good.begin() + 20), "damaged or truncated (bad format header)"},
        {Wav({Fmt(1, 1, 16, false, 0), Data({1}, 2)}), "its header gives a sample rate of 0 Hz"},
        {Wav({Fmt(1, 0, 16), Data({1}, 2)}), "its header gives 0 channels"},
        {Wav({Fmt(1, 5000, 16), Data({}, 2)}), kTooManyChannels},
        {Wav({Fmt(1, 1, 16)}), "damaged or truncated (no audio data found)"},
        {Wav({Fmt(1, 1, 16), {"LIST", {'a', 'b'}}}), "damaged or truncated (no audio data found)"},
    };
    for (const auto& c : cases) {
        writeBytes(path("in.wav"), c.image);
        EXPECT_EQ(ErrorOf([&] { OpenAudioSource(path("in.wav"), 48000); }),
                  path("in.wav") + ": " + c.error);
    }
#if !defined(_WIN32)
    writeBytes(path("locked.wav"), good);
    chmod(path("locked.wav").c_str(), 0);
    EXPECT_EQ(ErrorAsAnOrdinaryUser([&] { OpenAudioSource(path("locked.wav"), 48000); }),
              path("locked.wav") + ": cannot open: Permission denied");
#endif
}

// A file cut short is read to its last whole frame, and says so afterwards;
// one that holds no whole frame is refused.
TEST_F(AudioFileTest, ATruncatedFileIsReadToItsCutAndSaysSo)
{
    constexpr char kData[] = "data";
    const std::vector<float> audio = Noise(2 * 1000);
    const std::vector<float> kept(audio.begin(), audio.begin() + 2 * 27);
    const struct {
        std::string name;
        std::function<std::unique_ptr<AudioSource>(const std::string&)> open;
    } readers[] = {
        {"in.wav", [](const std::string& file) { return OpenWavSource(file); }},
#if TAPEDELAY_HAVE_SNDFILE
        {"in.wav", [](const std::string& file) { return OpenAudioSource(file, 0); }},
        {"in.aiff", [](const std::string& file) { return OpenAudioSource(file, 0); }},
        {"in.au", [](const std::string& file) { return OpenAudioSource(file, 0); }},
#endif
    };
    for (const auto& reader : readers) {
        const std::string whole = path(reader.name), cut = path("cut-" + reader.name);
        WriteAll(CreateAudioSink(whole, 2, 48000), audio, 2);
        EXPECT_EQ(reader.open(whole)->truncation(), "") << reader.name;
        // The audio comes last: 27 frames and 3 bytes of the 28th are left.
        const Bytes bytes = ScratchDirectory::readBytes(whole);
        if (reader.name == "in.wav") {
            // A length left unknown, as a program writing to a pipe gives
            // it, runs to the end without a word.
            Bytes streamed = bytes;
            const auto data = std::search(streamed.begin(), streamed.end(), kData, kData + 4);
            std::fill(data + 4, data + 8, 0xFF);
            writeBytes(cut, streamed);
            const auto source = reader.open(cut);
            EXPECT_EQ(ReadAll(*source), audio);
            EXPECT_EQ(source->truncation(), "");
        }
        writeBytes(cut, Bytes(bytes.begin(), bytes.end() - (973 * 8 - 3)));
        const auto source = reader.open(cut);
        EXPECT_EQ(ReadAll(*source), kept) << reader.name;
        EXPECT_EQ(source->truncation(),
                  cut + ": truncated: the header promises 1000 frames, 27 were read");

        writeBytes(cut, Bytes(bytes.begin(), bytes.end() - (1000 * 8 - 3)));
        EXPECT_EQ(ErrorOf([&] { reader.open(cut); }),
                  cut + ": damaged or truncated (the header promises 1000 frames, none could be "
                        "read)");
    }

    // A file that loses its end while it is read is damaged.
    WriteAll(CreateWavSink(path("in.wav"), 2, 48000), audio, 2);
    const auto wav = OpenWavSource(path("in.wav"));
    fs::resize_file(path("in.wav"), 1000);
    std::vector<float> block(2 * 1000);
    EXPECT_EQ(ErrorOf([&] { wav->read(block.data(), 1000); }),
              path("in.wav") + ": damaged or truncated (the audio data ends early)");
#if TAPEDELAY_HAVE_SNDFILE
    // FLAC data cut off in its first frame, and in the middle, where the
    // decoder stops.
    WriteAll(CreateAudioSink(path("in.flac"), 2, 48000), Noise(2 * 48000), 2);
    const Bytes flac = ScratchDirectory::readBytes(path("in.flac"));
    writeBytes(path("cut.flac"), Bytes(flac.begin(), flac.begin() + 3000));
    EXPECT_EQ(ErrorOf([&] { ReadAll(*OpenAudioSource(path("cut.flac"), 0)); }),
              path("cut.flac") + ": damaged or truncated (bad FLAC data)");
    writeBytes(path("cut.flac"), Bytes(flac.begin(), flac.begin() + flac.size() / 2));
    const auto half = OpenAudioSource(path("cut.flac"), 0);
    const std::size_t frames = ReadAll(*half).size() / 2;
    EXPECT_GT(frames, 0u);
    EXPECT_LT(frames, 48000u);
    EXPECT_EQ(half->truncation(), path("cut.flac") +
                                      ": damaged or truncated: the header promises 48000 "
                                      "frames, " +
                                      std::to_string(frames) + " were read");
#endif
}
