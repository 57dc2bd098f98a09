// Renders through a plug-in by one of the project's test hosts and by the
// tapedelay command, as a user runs them, with files in a scratch
// directory; and the test signal both are given.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/hostrun.h"
#include "tests/support/scratchdirectory.h"

// Clicks over a quiet tone, with noise so that every sample counts.
inline std::vector<float> TestSignal(std::size_t frames, std::uint32_t seed = 1)
{
    std::vector<float> audio = Noise(frames, 0.05f, seed);
    for (std::size_t i = 0; i < frames; ++i)
        audio[i] += 0.1f * static_cast<float>(std::sin(0.02 * static_cast<double>(i))) +
                    (i % 12000 == 200 ? 0.7f : 0.0f);
    return audio;
}

// A fixture for one host and plug-in file.
struct PluginHostRun : ScratchDirectory {
    PluginHostRun(std::string program, std::string pluginFile)
        : program(std::move(program)),
          pluginFile(std::move(pluginFile))
    {}

    // The command's render of `in` with these options, no pre-roll, no tail.
    std::vector<float> command(const std::string& in, const std::string& options)
    {
        const std::string out = path("command.wav");
        const Outcome done =
            Shell(std::string(TAPEDELAY_COMMAND) + " render --quiet --preroll 0 --tail 0" +
                  options + " " + in + " " + out);
        EXPECT_EQ(done.status, 0) << options << ": " << done.output;
        return done.status == 0 ? Samples(out) : std::vector<float>();
    }

    // What `runner` (a host, or its runner and the host; by default the
    // fixture's host) renders from `in` through `file` (by default the
    // fixture's), every file name after `drive` ("Z:" under Wine);
    // `printed` gets what it wrote.
    std::vector<float> host(const std::string& in, const std::string& options,
                            std::string* printed = nullptr, const std::string& runner = "",
                            const std::string& file = "", const std::string& drive = "")
    {
        const std::string out = path("host.wav");
        const Outcome done =
            Shell((runner.empty() ? program : runner) + options + " " + drive +
                  (file.empty() ? pluginFile : file) + " " + drive + in + " " + drive + out);
        EXPECT_EQ(done.status, 0) << options << ": " << done.output;
        if (printed != nullptr)
            *printed = done.output;
        return done.status == 0 ? Samples(out) : std::vector<float>();
    }

    const std::string program;
    const std::string pluginFile;
};
