// The tapedelay program interrupted in the middle of a long render, one run
// for each of SIGINT, SIGTERM and SIGHUP: it exits with 128 + the signal's
// number, leaves no temporary file, and the output it was replacing keeps its
// bytes and its permission bits.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratchdirectory.h"

namespace {

using namespace std::chrono_literals;

struct InterruptedRender : ScratchDirectory {
    // Starts `tapedelay render` on a short input with an hour of tail, with
    // the three signals at their default actions and no output to the terminal.
    pid_t start()
    {
        const std::vector<float> input(4800, 0.25f);
        writeBytes(path("in.f32"), input.data(), input.size() * sizeof(float));
        const std::string in = path("in.f32"), out = path("out.wav");
        const pid_t pid = fork();
        if (pid == 0) { // only calls safe between fork and exec
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            for (const int number : {SIGINT, SIGTERM, SIGHUP})
                std::signal(number, SIG_DFL);
            const int null = open("/dev/null", O_RDWR);
            for (const int fd : {0, 1, 2})
                dup2(null, fd);
            execl(TAPEDELAY_COMMAND_FILE, TAPEDELAY_COMMAND_FILE, "render", "--plugin",
                  TAPEDELAY_PLUGIN_FILE, "--quiet", "--rate", "48000", "--tail", "3600", in.c_str(),
                  out.c_str(), nullptr);
            _exit(127);
        }
        return pid;
    }

    bool temporaryFileExists() const
    {
        return std::ranges::any_of(
            listing(), [](const std::string& name) { return name.starts_with(".tapedelay-"); });
    }

    // The wait status once pid has ended, within limit; -1 (after killing
    // it) when it has not.
    static int statusWithin(pid_t pid, std::chrono::milliseconds limit)
    {
        for (auto waited = 0ms; waited < limit; waited += 10ms) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                return status;
            std::this_thread::sleep_for(10ms);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
};

TEST_F(InterruptedRender, LeavesNoTemporaryFileAndTheOldOutputAsItWas)
{
    const Bytes old = {'o', 'l', 'd'};
    writeBytes(path("out.wav"), old.data(), old.size());
    chmod(path("out.wav").c_str(), 0640);
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t pid = start();
        ASSERT_GT(pid, 0);
        // The render creates its output's temporary file, then runs for minutes.
        for (auto waited = 0ms; waited < 30s && !temporaryFileExists(); waited += 5ms) {
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "ended early, status " << status;
            std::this_thread::sleep_for(5ms);
        }
        ASSERT_TRUE(temporaryFileExists());
        ASSERT_EQ(kill(pid, number), 0);

        const int status = statusWithin(pid, 20s);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + number)
            << "signal " << number << ", wait status " << status;
        EXPECT_FALSE(temporaryFileExists()) << number;
        EXPECT_EQ(readBytes(path("out.wav")), old) << number;
        struct stat mode {};
        ASSERT_EQ(stat(path("out.wav").c_str(), &mode), 0);
        EXPECT_EQ(mode.st_mode & 0777, 0640u) << number;
    }
}

} // namespace
