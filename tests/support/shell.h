// Running a shell command as a user does (POSIX): its exit status and what
// it printed; whether a program the test needs is installed; a command in
// the background.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

struct Outcome {
    int status = -1;
    std::string output; // standard output, and standard error when merged
};

inline Outcome Shell(const std::string& command, bool withErrors = true)
{
    Outcome outcome;
    FILE* pipe = popen((withErrors ? command + " 2>&1" : command).c_str(), "r");
    if (pipe == nullptr)
        return outcome;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        outcome.output.append(buffer, n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
}

// Whether a program is installed. Under tools/test-all, which installs it
// (TAPEDELAY_TEST_ALL=1), its absence fails the test; elsewhere it skips
// it. A test returns when it is not.
inline bool ToolInstalled(const std::string& name, const std::string& package)
{
    if (!Shell("command -v " + name, false).output.empty())
        return true;
    const std::string missing = name + " is missing (apt-get install " + package + ")";
    if (std::getenv("TAPEDELAY_TEST_ALL") != nullptr)
        ADD_FAILURE() << missing << "; tools/test-all installs it";
    else
        [&] { GTEST_SKIP() << missing << "; tools/test-all installs it"; }();
    return false;
}

// A command run in the background (POSIX shell), what it prints going to a
// file; stopped when this goes, which waits (up to five seconds) until it
// has gone.
class BackgroundCommand {
public:
    explicit BackgroundCommand(const std::string& command, const std::string& output = "/dev/null")
    {
        const Outcome started = Shell(command + " >" + output + " 2>&1 & echo $!", false);
        process = started.output.substr(0, started.output.find('\n'));
    }
    ~BackgroundCommand()
    {
        if (!process.empty())
            Shell("kill " + process + " 2>/dev/null; for i in $(seq 50); do kill -0 " + process +
                  " 2>/dev/null || break; sleep 0.1; done");
    }
    BackgroundCommand(const BackgroundCommand&) = delete;
    BackgroundCommand& operator=(const BackgroundCommand&) = delete;

private:
    std::string process;
};
