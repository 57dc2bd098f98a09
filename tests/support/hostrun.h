// Running a host program as a user does and reading back what it wrote.
#pragma once

#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/audio/audiofile.h"
#include "tests/support/shell.h"

// The samples of a file, interleaved.
inline std::vector<float> Samples(const std::string& path)
{
    const std::unique_ptr<AudioSource> source = OpenAudioSource(path, 0.0);
    const std::size_t channels = source->channels();
    std::vector<float> block(1024 * channels), samples;
    while (const std::size_t n = source->read(block.data(), 1024))
        samples.insert(samples.end(), block.begin(),
                       block.begin() + static_cast<std::ptrdiff_t>(n * channels));
    return samples;
}

// Interleaved, of `channels` channels.
inline void WriteSamples(const std::string& path, const std::vector<float>& interleaved,
                         double rate, std::size_t channels = 1)
{
    const std::unique_ptr<AudioSink> sink = CreateAudioSink(path, channels, rate);
    sink->write(interleaved.data(), interleaved.size() / channels);
    sink->commit();
}

// Empty when equal, else where they part.
inline std::string Difference(const std::vector<float>& got, const std::vector<float>& expected)
{
    if (got.size() != expected.size())
        return std::to_string(got.size()) + " samples, not " + std::to_string(expected.size());
    std::size_t differing = 0, first = 0;
    for (std::size_t i = expected.size(); i-- > 0;)
        if (got[i] != expected[i])
            ++differing, first = i;
    return differing == 0
               ? ""
               : std::to_string(differing) + " samples differ from sample " + std::to_string(first);
}

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
