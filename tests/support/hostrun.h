// Running a host program as a user does and reading back what it wrote.
#pragma once

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/samplefiles.h"
#include "tests/support/shell.h"

// A JACK server of the test's own on the dummy driver, for jalv; stopped
// with the test.
class JackServer {
public:
    // Each server has a name of its own: one that is still shutting down
    // keeps its name for a while.
    explicit JackServer(int rate = 48000)
        : name("tapedelay-test-" + std::to_string(getpid()) + "-" + std::to_string(++servers)),
          server("jackd -n " + name + " --no-realtime -d dummy -r " + std::to_string(rate) +
                 " -p 256")
    {
        for (int i = 0; i < 50 && !up; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            up = Shell(environment() + " jack_lsp").status == 0;
        }
    }

    bool running() const { return up; }
    // What a command line puts before a JACK client.
    std::string environment() const { return "JACK_DEFAULT_SERVER=" + name; }

private:
    static inline int servers = 0; // started by this process
    std::string name;
    BackgroundCommand server; // stopped, and waited for, with the test
    bool up = false;
};
