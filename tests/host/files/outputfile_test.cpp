// Output files: replaced only on commit, under any name the file system
// takes, keeping their permission bits, written through symbolic links, and
// never left behind by an interrupt.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "host/files/outputfile.h"
#include "tests/host/audio/audiotest.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace {

// Whether file holds as many samples as kSignal (FLAC rounds them).
bool HoldsTheSignal(const std::string& file)
{
    return ReadAll(*OpenAudioSource(file, 48000)).size() == kSignal.size();
}

} // namespace

// Under the longest name the file system allows, so that the temporary
// name beside it must be no longer.
TEST_F(AudioFileTest, OutputReplacesTargetOnlyOnCommit)
{
    const Bytes precious = {'k', 'e', 'e', 'p'};
    for (const Output& output : kOutputs) {
        const std::string name = std::string(255 - output.name.size(), 'n') + output.name;
        writeBytes(path(name), precious);
        output.create(path(name))->write(kSignal.data(), 1);
        EXPECT_EQ(ScratchDirectory::readBytes(path(name)), precious) << output.name;
        EXPECT_EQ(listing(), std::vector<std::string>{name});

        WriteAll(output.create(path(name)), kSignal, 1);
        EXPECT_TRUE(HoldsTheSignal(path(name))) << output.name;
        EXPECT_EQ(listing(), std::vector<std::string>{name});
        fs::remove(path(name));
    }
    fs::create_directory(path("folder.wav"));
    EXPECT_EQ(ErrorOf([&] { CreateAudioSink(path("folder.wav"), 1, 48000); }),
              path("folder.wav") + ": is a directory");
    EXPECT_EQ(ErrorOf([&] { CreateAudioSink(path("missing/out.wav"), 1, 48000); }),
              path("missing/out.wav") + ": cannot create: No such file or directory");
    EXPECT_EQ(ErrorOf([&] { CreateWavSink(path("x.wav"), 1, 44100.5); }),
              path("x.wav") + ": cannot store a sample rate of 44100.5 Hz (the file holds whole "
                              "numbers of Hz)");
}

#if !defined(_WIN32)
namespace {

mode_t ModeOf(const std::string& file)
{
    struct stat status {};
    EXPECT_EQ(stat(file.c_str(), &status), 0) << file;
    return status.st_mode & 0777;
}

} // namespace

TEST_F(AudioFileTest, OutputKeepsPermissionBits)
{
    for (const Output& output : kOutputs) {
        const std::string file = path(output.name);
        for (const mode_t mode : {0600, 0640}) {
            writeBytes(file, {1});
            chmod(file.c_str(), mode);
            WriteAll(output.create(file), kSignal, 1);
            EXPECT_EQ(ModeOf(file), mode) << output.name;
        }
        // A new file gets what any program's new file gets.
        fs::remove(file);
        const mode_t umaskBefore = umask(002);
        WriteAll(output.create(file), kSignal, 1);
        umask(umaskBefore);
        EXPECT_EQ(ModeOf(file), 0664u) << output.name;
        fs::remove(file);
    }
}

TEST_F(AudioFileTest, OutputWrittenThroughSymbolicLinks)
{
    fs::create_directories(dir / "links");
    fs::create_directories(dir / "files");
    writeBytes(path("files/real.wav"), {'k', 'e', 'e', 'p'});
    const struct {
        std::string link, to, written;
    } cases[] = {
        {"absolute.wav", path("files/real.wav"), "files/real.wav"},
        // Relative to the link's folder, not to the working directory.
        {"relative.wav", "../files/real.wav", "files/real.wav"},
        {"chain.wav", "relative.wav", "files/real.wav"},
        {"dangling.wav", "../files/new.wav", "files/new.wav"},
    };
    for (const auto& c : cases)
        fs::create_symlink(c.to, dir / "links" / c.link);
    const auto hiddenFiles = [](const fs::path& folder) {
        return std::count_if(fs::directory_iterator(folder), {},
                             [](const auto& e) { return e.path().filename().string()[0] == '.'; });
    };
    for (const auto& c : cases) {
        const std::string link = path("links/" + c.link);
        auto sink = CreateAudioSink(link, 2, 48000);
        // The temporary file goes beside the file the link ends at.
        EXPECT_EQ(hiddenFiles(dir / "files"), 1) << link;
        EXPECT_EQ(hiddenFiles(dir / "links"), 0) << link;
        WriteAll(std::move(sink), kSignal, 2);
        EXPECT_TRUE(fs::is_symlink(link)) << link;
        EXPECT_EQ(fs::read_symlink(link), c.to);
        EXPECT_TRUE(HoldsTheSignal(path(c.written))) << link;
        EXPECT_EQ(hiddenFiles(dir / "files"), 0) << link;
    }

    fs::create_symlink("loop-b.wav", path("loop-a.wav"));
    fs::create_symlink("loop-a.wav", path("loop-b.wav"));
    EXPECT_EQ(ErrorOf([&] { CreateAudioSink(path("loop-a.wav"), 1, 48000); }),
              path("loop-a.wav") + ": too many levels of symbolic links");
}

TEST_F(AudioFileTest, InterruptRemovesTheTemporaryFiles)
{
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        const int status = InChildProcess([&] {
            InstallInterruptCleanup();
            // Committed and discarded outputs give their table slots back.
            for (int i = 0; i < 20; ++i) {
                WriteAll(CreateAudioSink(path("done.wav"), 1, 48000), kSignal, 1);
                CreateAudioSink(path("dropped.wav"), 1, 48000);
            }
            const auto live = CreateAudioSink(path("live.wav"), 1, 48000);
            const auto builtin = CreateWavSink(path("live-builtin.wav"), 1, 48000);
            live->write(kSignal.data(), kSignal.size());
            std::raise(number);
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + number) << status;
        EXPECT_EQ(listing(), std::vector<std::string>{"done.wav"}) << number;
    }

    // A signal ignored from the start, as under nohup, stays ignored.
    const int status = InChildProcess([&] {
        std::signal(SIGHUP, SIG_IGN);
        InstallInterruptCleanup();
        const auto sink = CreateAudioSink(path("kept.wav"), 1, 48000);
        std::raise(SIGHUP);
        sink->commit();
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(fs::exists(path("kept.wav")));
}
#endif
