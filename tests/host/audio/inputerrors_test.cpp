// Broken input files are refused with one line that names the file and says
// what is wrong in plain words, with either sound file reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/host/audio/audiotest.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
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
    int ends[2];
    if (pipe(ends) != 0)
        return "(no pipe)";
    const pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        std::string message = "(still root)";
        if (setgid(65534) == 0 && setuid(65534) == 0)
            message = ErrorOf(action);
        const ssize_t wrote = write(ends[1], message.data(), message.size());
        _exit(wrote == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    close(ends[1]);
    std::string message;
    char buffer[256];
    ssize_t got;
    while ((got = read(ends[0], buffer, sizeof buffer)) > 0)
        message.append(buffer, static_cast<std::size_t>(got));
    close(ends[0]);
    waitpid(pid, nullptr, 0);
    return message;
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
        WriteBytes(path("in.wav"), c.image);
        EXPECT_EQ(ErrorOf([&] { OpenAudioSource(path("in.wav"), 48000); }),
                  path("in.wav") + ": " + c.error);
    }
#if !defined(_WIN32)
    WriteBytes(path("locked.wav"), good);
    chmod(path("locked.wav").c_str(), 0);
    EXPECT_EQ(ErrorAsAnOrdinaryUser([&] { OpenAudioSource(path("locked.wav"), 48000); }),
              path("locked.wav") + ": cannot open: Permission denied");
#endif
}

TEST_F(AudioFileTest, AudioCutShortWhileReadIsNamedInPlainWords)
{
    // The file loses its end after it was opened.
    WriteAll(CreateWavSink(path("in.wav"), 2, 48000), Noise(2 * 1000), 2);
    const auto wav = OpenWavSource(path("in.wav"));
    fs::resize_file(path("in.wav"), 1000);
    std::vector<float> block(2 * 1000);
    EXPECT_EQ(ErrorOf([&] { wav->read(block.data(), 1000); }),
              path("in.wav") + ": damaged or truncated (the audio data ends early)");
#if TAPEDELAY_HAVE_SNDFILE
    // FLAC data cut off in its first frame, and in the middle.
    WriteAll(CreateAudioSink(path("in.flac"), 2, 48000), Noise(2 * 48000), 2);
    const Bytes flac = ScratchDirectory::readBytes(path("in.flac"));
    const struct {
        std::size_t size;
        const char* error;
    } cuts[] = {
        {3000, "damaged or truncated (bad FLAC data)"},
        {flac.size() / 2, "damaged or truncated (the audio data ends early)"},
    };
    for (const auto& cut : cuts) {
        WriteBytes(path("cut.flac"), Bytes(flac.begin(), flac.begin() + cut.size));
        const auto source = OpenAudioSource(path("cut.flac"), 0);
        EXPECT_EQ(ErrorOf([&] { ReadAll(*source); }), path("cut.flac") + ": " + cut.error);
    }
#endif
}
