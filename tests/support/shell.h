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
