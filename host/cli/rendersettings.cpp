#include "rendersettings.h"

namespace {

constexpr std::uint64_t kLargestBlock = 1u << 20;
constexpr double kLongestTail = 3600.0;

// A tempo becomes ".bpm"'s value, so it must lie in its range.
double parseTempo(const PluginDescription& description, const std::string& text,
                  const std::string& option)
{
    const double bpm = ParseNumber(text, option);
    double low = 0.0;
    double high = 1e6;
    if (const std::optional<std::size_t> index = description.find(".bpm")) {
        low = description.parameters[*index].minValue;
        high = description.parameters[*index].maxValue;
    }
    if (!(bpm > 0.0 && bpm >= low && bpm <= high))
        throw UsageError(option + ": " + text + " BPM is outside " + FormatNumber(low) + " to " +
                         FormatNumber(high));
    return bpm;
}

// "T:REST": a time in seconds, at or after 0, and the rest.
std::pair<double, std::string> splitTime(const std::string& text, const std::string& option)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        throw UsageError(option + ": \"" + text + "\" is not of the form T:...");
    const double time = ParseNumber(text.substr(0, colon), option + " time");
    if (time < 0.0)
        throw UsageError(option + ": the time " + text.substr(0, colon) + " lies before the start");
    return {time, text.substr(colon + 1)};
}

} // namespace

std::pair<std::size_t, double> ParseAssignment(const PluginDescription& description,
                                               const std::string& text, const std::string& option)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError(option + ": \"" + text + "\" is not of the form ID=VALUE");
    const std::size_t index = FindParameter(description, text.substr(0, equals));
    return {index, ParseParameterValue(description.parameters[index], text.substr(equals + 1))};
}

RenderJob ReadRenderSettings(const CommandLine& line, const PluginDescription& description)
{
    RenderJob job;
    for (const std::string& text : line.all("set"))
        job.initialValues.push_back(ParseAssignment(description, text, "--set"));
    for (const std::string& text : line.all("at")) {
        const auto [time, assignment] = splitTime(text, "--at");
        const auto [index, value] = ParseAssignment(description, assignment, "--at");
        job.changes.push_back({time, index, value});
    }
    for (const std::string& text : line.all("tap")) {
        const auto [time, bpm] = splitTime(text, "--tap");
        job.taps.push_back({time, parseTempo(description, bpm, "--tap")});
    }
    if (const std::optional<std::string> bpm = line.last("session-bpm"))
        job.sessionTempo = parseTempo(description, *bpm, "--session-bpm");
    if (const std::optional<std::string> block = line.last("block"))
        job.blockFrames =
            static_cast<std::uint32_t>(ParseWholeNumber(*block, "block", 1, kLargestBlock));
    if (const std::optional<std::string> tail = line.last("tail")) {
        job.tailSeconds = ParseNumber(*tail, "--tail");
        if (job.tailSeconds < 0.0 || job.tailSeconds > kLongestTail)
            throw UsageError("--tail: " + *tail + " is not from 0 to " +
                             FormatNumber(kLongestTail) + " seconds");
    }
    return job;
}
