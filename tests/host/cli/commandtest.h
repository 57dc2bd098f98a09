// Running the tapedelay command in-process on the built plug-in library, with
// files in a scratch directory of its own.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/cli/commands.h"
#include "tests/support/scratchdirectory.h"

struct CommandTest : ScratchDirectory {
    // The command line after "tapedelay", on the library under test.
    static int run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin() + 1, {"--plugin", TAPEDELAY_PLUGIN_FILE});
        return RunTapedelay(arguments);
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
};
