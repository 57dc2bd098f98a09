// What the audio file tests share: a scratch-directory fixture, whole-source
// reads and whole-sink writes, error capture and a WAV image builder.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/audio/audiobackends.h"
#include "host/audio/audiofile.h"
#include "host/files/outputfile.h"
#include "tests/support/scratchdirectory.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

using AudioFileTest = ScratchDirectory;

// Reads in small blocks so that block boundaries are crossed.
inline std::vector<float> ReadAll(AudioSource& source)
{
    std::vector<float> all, block(3 * source.channels());
    while (const std::size_t frames = source.read(block.data(), 3))
        all.insert(all.end(), block.begin(), block.begin() + frames * source.channels());
    return all;
}

// Writes in two blocks, then commits.
inline void WriteAll(std::unique_ptr<AudioSink> sink, const std::vector<float>& samples,
                     std::size_t channels)
{
    const std::size_t frames = samples.size() / channels, first = frames / 2;
    sink->write(samples.data(), first);
    sink->write(samples.data() + first * channels, frames - first);
    sink->commit();
}

inline std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const AudioFileError& e) {
        return e.what();
    } catch (const OutputFileError& e) {
        return e.what();
    }
    return "(no error)";
}

#if !defined(_WIN32)
// Runs child in a process of its own; returns the wait status.
inline int InChildProcess(const std::function<void()>& child)
{
    const pid_t pid = fork();
    if (pid == 0) {
        child();
        _exit(0);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    return status;
}

// The error action throws in a child process once setup has succeeded
// there, for what must not touch the test process itself. (The message
// is short: it waits in the pipe until the child has ended.)
inline std::string ErrorInAChild(const std::function<bool()>& setup,
                                 const std::function<void()>& action)
{
    int ends[2];
    if (pipe(ends) != 0)
        return "(no pipe)";
    InChildProcess([&] {
        const std::string message = setup() ? ErrorOf(action) : "(no setup)";
        if (write(ends[1], message.data(), message.size()) != static_cast<ssize_t>(message.size()))
            _exit(1);
    });
    close(ends[1]);
    std::string message(4096, '\0');
    const ssize_t got = read(ends[0], message.data(), message.size());
    close(ends[0]);
    message.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return message;
}
#endif

inline void Put(Bytes& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

struct Chunk {
    const char* id;
    Bytes body;
};

inline Bytes Wav(const std::vector<Chunk>& chunks)
{
    Bytes out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Chunk& chunk : chunks) {
        out.insert(out.end(), chunk.id, chunk.id + 4);
        Put(out, chunk.body.size(), 4);
        out.insert(out.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.body.size() % 2 != 0)
            out.push_back(0);
    }
    return out;
}

// A fmt chunk at 22050 Hz, or at rate.
inline Chunk Fmt(std::uint16_t tag, std::uint16_t channels, std::uint16_t bits,
                 bool extensible = false, std::uint32_t rate = 22050)
{
    Bytes body;
    Put(body, extensible ? 0xFFFE : tag, 2);
    Put(body, channels, 2);
    Put(body, rate, 4);
    Put(body, std::uint64_t{rate} * channels * bits / 8, 4);
    Put(body, channels * bits / 8, 2);
    Put(body, bits, 2);
    if (extensible) {
        Put(body, 22, 2);
        Put(body, bits, 2);
        Put(body, 0x3F, 4);
        Put(body, tag, 2);
        body.insert(body.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
    }
    return {"fmt ", body};
}

inline Chunk Data(const std::vector<std::uint64_t>& values, int bytes)
{
    Bytes body;
    for (std::uint64_t value : values)
        Put(body, value, bytes);
    return {"data", body};
}

// A mono writer of each kind the build has. Ogg Vorbis is left out:
// libsndfile gives each stream a random serial number, so its bytes differ
// from run to run.
struct Output {
    std::string name;
    std::function<std::unique_ptr<AudioSink>(const std::string&)> create;
};

inline std::unique_ptr<AudioSink> Mono(const std::string& file)
{
    return CreateAudioSink(file, 1, 48000);
}

inline const std::vector<Output> kOutputs = {
    {"raw.f32", Mono},
    {"builtin.wav", [](const std::string& file) { return CreateWavSink(file, 1, 48000); }},
    {"out.wav", Mono},
#if TAPEDELAY_HAVE_SNDFILE
    {"out.aif", Mono},
    {"out.aiff", Mono},
    {"out.flac", Mono},
    {"out.caf", Mono},
    {"out.w64", Mono},
    {"out.au", Mono},
#endif
};

inline const std::vector<float> kSignal = {0.0f, -1.5f, 1e-30f, 3.25f, 0.5f, -0.125f,
                                           1.0f, -1.0f, 0.75f,  0.1f,  2.0f, -0.3f};
