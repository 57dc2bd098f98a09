// Running the tapedelay command in-process on the built plug-in library, with
// files in a scratch directory of its own.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/audio/audiofile.h"
#include "host/cli/commands.h"
#include "tests/support/samplefiles.h"
#include "tests/support/scratchdirectory.h"

struct CommandTest : ScratchDirectory {
    // The command line after "tapedelay", on the library under test.
    static int run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin() + 1, {"--plugin", TAPEDELAY_PLUGIN_FILE});
        return RunTapedelay(arguments);
    }

    // A quiet render of in to out with the options between.
    static int render(std::vector<std::string> options, const std::string& in,
                      const std::string& out)
    {
        options.insert(options.begin(), {"render", "--quiet"});
        options.insert(options.end(), {in, out});
        return run(options);
    }

    // What a run that must succeed printed on standard output.
    static std::string printed(const std::vector<std::string>& arguments)
    {
        ::testing::internal::CaptureStdout();
        const int status = run(arguments);
        std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(status, 0) << arguments[0];
        return out;
    }

    // Runs the command, keeping what it wrote to standard error.
    int runCapturing(const std::vector<std::string>& arguments)
    {
        ::testing::internal::CaptureStderr();
        const int status = run(arguments);
        errors = ::testing::internal::GetCapturedStderr();
        return status;
    }
    bool said(const std::string& text) const { return errors.find(text) != std::string::npos; }

    static void writeStereo(const std::string& file, const std::vector<float>& left,
                            const std::vector<float>& right)
    {
        WriteSamples(file, Interleave(left, right), 48000.0, 2);
    }

    static void writeRaw(const std::string& file, const std::vector<float>& samples)
    {
        writeBytes(file, samples.data(), samples.size() * sizeof(float));
    }

    static std::vector<float> readRaw(const std::string& file)
    {
        const Bytes bytes = readBytes(file);
        std::vector<float> samples(bytes.size() / sizeof(float));
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
        return samples;
    }

    std::string errors;
};
