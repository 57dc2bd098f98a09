// The command line of the tapedelay command: options and operands of one
// subcommand, and what every subcommand shares.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/runtime/values/parametervalue.h"
#include "usageerror.h"

// Exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1; // an internal failure
inline constexpr int kExitUsage = 2;   // a usage or input error

struct CommandOption {
    std::string name; // without the leading "--"
    std::string value;
};

struct CommandLine {
    std::vector<CommandOption> options; // in the order given
    std::vector<std::string> operands;

    bool has(std::string_view name) const;
    // The last value given for name.
    std::optional<std::string> last(std::string_view name) const;
    std::vector<std::string> all(std::string_view name) const;
};

// Splits arguments into options and operands. Options take "--name value"
// or "--name=value" when listed in valued, and no value when listed in
// flags; "-" is an operand and "--" ends the options. Throws UsageError for
// anything else, naming the subcommand.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, std::string_view subcommand,
                             std::span<const std::string_view> valued,
                             std::span<const std::string_view> flags);

// The plug-in library to load: --plugin, else the environment's
// TAPEDELAY_PLUGIN, else the library beside the program.
std::string PluginPath(const CommandLine& line);

// A whole number between low and high, for option name.
std::uint64_t ParseWholeNumber(const std::string& text, const std::string& name, std::uint64_t low,
                               std::uint64_t high);

// Throws UsageError when path (given to option) names one of the inputs,
// which it would overwrite.
void RefuseOverwritingInputs(const std::string& path, const std::string& option,
                             const std::vector<std::string>& inputs);
