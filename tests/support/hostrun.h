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
        : name("tapedelay-test-" + std::to_string(getpid()) + "-" + std::to_string(++servers))
    {
        const Outcome started = Shell("jackd -n " + name + " --no-realtime -d dummy -r " +
                                      std::to_string(rate) + " -p 256 >/dev/null 2>&1 & echo $!");
        process = started.output.substr(0, started.output.find('\n'));
        for (int i = 0; i < 50 && !up; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            up = Shell(environment() + " jack_lsp").status == 0;
        }
    }
    // Waits (up to five seconds) until the server has gone.
    ~JackServer()
    {
        Shell("kill " + process + "; for i in $(seq 50); do kill -0 " + process +
              " 2>/dev/null || break; sleep 0.1; done");
    }
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    bool running() const { return up; }
    // What a command line puts before a JACK client.
    std::string environment() const { return "JACK_DEFAULT_SERVER=" + name; }

private:
    static inline int servers = 0; // started by this process
    std::string name;
    std::string process;
    bool up = false;
};
