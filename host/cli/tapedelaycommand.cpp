// The tapedelay command line, from the command name on: exit status 0 on
// success, 2 on a usage or input error, 1 on an internal failure.
#include <cstdio>
#include <exception>

#include "commandline.h"
#include "commands.h"
#include "host/audio/audiofile.h"
#include "host/runtime/pluginlibrary.h"

namespace {

constexpr const char* kUsage = R"(usage: tapedelay COMMAND [options]

Commands:
  render    render an audio file through the tape delay
  describe  show the plug-in's descriptor, parameters and meters
  presets   list the built-in presets and their settings
  demo      render the built-in demo phrase into out/
  plot      draw what a setting does to a click, as an SVG picture

`tapedelay COMMAND --help` (or -h) describes each command;
`tapedelay --version` prints the version.
)";

int runCommand(const std::vector<std::string>& arguments)
{
    if (arguments.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string& command = arguments.front();
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (command == "render")
        return RenderCommand(rest);
    if (command == "describe")
        return DescribeCommand(rest);
    if (command == "presets")
        return PresetsCommand(rest);
    if (command == "demo")
        return DemoCommand(rest);
    if (command == "plot")
        return PlotCommand(rest);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitSuccess;
    }
    if (command == "--version") {
        std::puts("tapedelay " TAPEDELAY_VERSION);
        return kExitSuccess;
    }
    throw UsageError("unknown command \"" + command +
                     "\" (render, describe, presets, demo or plot)");
}

} // namespace

int RunTapedelay(const std::vector<std::string>& arguments)
{
    try {
        return runCommand(arguments);
    } catch (const std::exception& error) {
        // Something wrong in what the user gave: a usage, value, file or
        // plug-in library the command cannot take.
        const bool users = dynamic_cast<const UsageError*>(&error) != nullptr ||
                           dynamic_cast<const ParameterValueError*>(&error) != nullptr ||
                           dynamic_cast<const AudioFileError*>(&error) != nullptr ||
                           dynamic_cast<const PluginLoadError*>(&error) != nullptr;
        std::fprintf(stderr, users ? "tapedelay: %s\n" : "tapedelay: internal failure: %s\n",
                     error.what());
        return users ? kExitUsage : kExitFailure;
    } catch (...) {
        std::fprintf(stderr, "tapedelay: internal failure (an exception of unknown type)\n");
        return kExitFailure;
    }
}
