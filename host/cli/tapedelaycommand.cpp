// The tapedelay command line, from the command name on: exit status 0 on
// success, 2 on a usage or input error, 1 on an internal failure.
#include <cstdio>
#include <exception>
#include <iostream>
#include <span>
#include <string_view>

#include "commands.h"
#include "host/audio/audiofile.h"
#include "host/files/outputfile.h"
#include "host/runtime/pluginlibrary.h"

namespace {

struct Subcommand {
    std::string_view name;
    std::string_view summary;             // its line in the top-level help
    std::vector<std::string_view> valued; // options that take a value
    std::vector<std::string_view> flags;  // options that take none
    std::size_t operands;                 // how many it needs
    std::string_view operandNames;        // as the error names them; empty for none
    std::string (*usage)();
    int (*run)(const CommandLine& line);
};

std::span<const Subcommand> subcommands()
{
    static const Subcommand all[] = {
        {"render",
         "render an audio file through the tape delay",
         {"rate", "preset", "set", "at", "tap", "session-bpm", "automation", "preroll", "block",
          "tail", "normalize", "report", "plugin"},
         {"quiet", "help"},
         2,
         "INPUT and OUTPUT",
         RenderUsage,
         RenderCommand},
        {"describe",
         "show the plug-in's descriptor, parameters and meters",
         {"plugin"},
         {"dump", "json", "help"},
         0,
         "",
         DescribeUsage,
         DescribeCommand},
        {"presets",
         "list the built-in presets and their settings",
         {"plugin"},
         {"json", "help"},
         0,
         "",
         PresetsUsage,
         PresetsCommand},
        {"demo",
         "render the built-in demo phrase into out/",
         {"out", "plugin"},
         {"quiet", "help"},
         0,
         "",
         DemoUsage,
         DemoCommand},
        {"plot",
         "draw what a setting does to a click, as an SVG or PNG picture",
         {"compare", "preset", "set", "at", "tap", "session-bpm", "automation", "tail", "preroll",
          "rate", "block", "plugin"},
         {"quiet", "help"},
         1,
         "OUTPUT.svg or OUTPUT.png",
         PlotUsage,
         PlotCommand},
    };
    return all;
}

std::string usage()
{
    std::string text = "usage: tapedelay COMMAND [options]\n\nCommands:\n";
    for (const Subcommand& command : subcommands()) {
        char line[128];
        std::snprintf(line, sizeof line, "  %-9.*s %.*s\n", static_cast<int>(command.name.size()),
                      command.name.data(), static_cast<int>(command.summary.size()),
                      command.summary.data());
        text += line;
    }
    return text + "\n`tapedelay COMMAND --help` (or -h) describes each command;\n"
                  "`tapedelay --version` prints the version.\n";
}

// "render, describe, presets, demo or plot"
std::string commandList()
{
    const std::span<const Subcommand> all = subcommands();
    std::string list;
    for (std::size_t i = 0; i < all.size(); ++i)
        list += std::string(i == 0                ? ""
                            : i + 1 == all.size() ? " or "
                                                  : ", ") +
                std::string(all[i].name);
    return list;
}

// What every subcommand does first: its options read, --help answered and
// its operands counted.
int runSubcommand(const Subcommand& command, const std::vector<std::string>& arguments)
{
    const CommandLine line =
        ParseCommandLine(arguments, command.name, command.valued, command.flags);
    if (line.has("help")) {
        std::cout << command.usage();
        return kExitSuccess;
    }
    const std::string see = " (see tapedelay " + std::string(command.name) + " --help)";
    if (line.operands.size() != command.operands)
        throw UsageError(std::string(command.name) +
                         (command.operands == 0 ? " takes no operands"
                                                : " needs " + std::string(command.operandNames)) +
                         see);
    return command.run(line);
}

int runCommand(const std::vector<std::string>& arguments)
{
    if (arguments.empty()) {
        std::fputs(usage().c_str(), stderr);
        return kExitUsage;
    }
    const std::string& name = arguments.front();
    for (const Subcommand& command : subcommands())
        if (name == command.name)
            return runSubcommand(command, {arguments.begin() + 1, arguments.end()});
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(usage().c_str(), stdout);
        return kExitSuccess;
    }
    if (name == "--version") {
        std::puts("tapedelay " TAPEDELAY_VERSION);
        return kExitSuccess;
    }
    throw UsageError("unknown command \"" + name + "\" (" + commandList() + ")");
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
                           dynamic_cast<const OutputFileError*>(&error) != nullptr ||
                           dynamic_cast<const PluginLoadError*>(&error) != nullptr;
        std::fprintf(stderr, users ? "tapedelay: %s\n" : "tapedelay: internal failure: %s\n",
                     error.what());
        return users ? kExitUsage : kExitFailure;
    } catch (...) {
        std::fprintf(stderr, "tapedelay: internal failure (an exception of unknown type)\n");
        return kExitFailure;
    }
}
