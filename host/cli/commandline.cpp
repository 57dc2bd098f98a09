#include "commandline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/audio/audiofile.h"
#include "host/runtime/pluginlibrary.h"

bool CommandLine::has(std::string_view name) const
{
    return std::any_of(options.begin(), options.end(),
                       [&](const CommandOption& o) { return o.name == name; });
}

std::optional<std::string> CommandLine::last(std::string_view name) const
{
    std::optional<std::string> value;
    for (const CommandOption& option : options)
        if (option.name == name)
            value = option.value;
    return value;
}

std::vector<std::string> CommandLine::all(std::string_view name) const
{
    std::vector<std::string> values;
    for (const CommandOption& option : options)
        if (option.name == name)
            values.push_back(option.value);
    return values;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, std::string_view subcommand,
                             std::span<const std::string_view> valued,
                             std::span<const std::string_view> flags)
{
    const auto listed = [](std::span<const std::string_view> names, std::string_view name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    const std::string help = " (see tapedelay " + std::string(subcommand) + " --help)";
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" && !optionsEnded && listed(flags, "help")) {
            line.options.push_back({"help", {}});
            continue;
        }
        if (optionsEnded || argument == "-" || argument.rfind("--", 0) != 0) {
            if (!optionsEnded && argument.size() > 1 && argument[0] == '-' && argument != "-")
                throw UsageError("unknown option " + argument + help);
            line.operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name =
            argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        if (listed(flags, name)) {
            if (equals != std::string::npos)
                throw UsageError("--" + name + " takes no value" + help);
            line.options.push_back({name, {}});
        } else if (listed(valued, name)) {
            if (equals != std::string::npos)
                line.options.push_back({name, argument.substr(equals + 1)});
            else if (i + 1 < arguments.size())
                line.options.push_back({name, arguments[++i]});
            else
                throw UsageError("--" + name + " needs a value" + help);
        } else {
            throw UsageError("unknown option --" + name + help);
        }
    }
    return line;
}

namespace {

// A path the loader takes as it is: one without a folder would otherwise
// be looked for on the library search path, not in the current folder.
std::string fromCurrentFolder(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

} // namespace

std::string PluginPath(const CommandLine& line)
{
    if (const std::optional<std::string> path = line.last("plugin"))
        return fromCurrentFolder(*path);
    if (const char* path = std::getenv("TAPEDELAY_PLUGIN"); path != nullptr && *path != '\0')
        return fromCurrentFolder(path);
    return PluginLibrary::besideExecutable();
}

std::uint64_t ParseWholeNumber(const std::string& text, const std::string& name, std::uint64_t low,
                               std::uint64_t high)
{
    const double value = ParseNumber(text, "--" + name);
    if (value < static_cast<double>(low) || value > static_cast<double>(high) ||
        value != std::floor(value))
        throw UsageError("--" + name + ": " + text + " is not a whole number from " +
                         std::to_string(low) + " to " + std::to_string(high));
    return static_cast<std::uint64_t>(value);
}

void RefuseOverwritingInputs(const std::string& path, const std::string& option,
                             const std::vector<std::string>& inputs)
{
    for (const std::string& input : inputs)
        if (path == input || SameFile(path, input))
            throw UsageError(option + " " + path + " is the same file as the input " + input);
}
