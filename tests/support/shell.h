// Running a shell command as a user does (POSIX): its exit status and what
// it printed.
#pragma once

#include <sys/wait.h>

#include <cstdio>
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

// A command run in the background (POSIX shell), what it prints going to a
// file; stopped when this goes.
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
            Shell("kill " + process + " 2>/dev/null");
    }
    BackgroundCommand(const BackgroundCommand&) = delete;
    BackgroundCommand& operator=(const BackgroundCommand&) = delete;

private:
    std::string process;
};
