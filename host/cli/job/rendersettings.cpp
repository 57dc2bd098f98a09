#include "rendersettings.h"

#include <cmath>

#include "automationfile.h"
#include "host/product/parametercodes.h"
#include "host/product/parameternames.h"
#include "host/product/shownvalues.h"
#include "host/runtime/values/seconds.h"
#include "presetsettings.h"

double ParseTempo(const PluginDescription& description, const std::string& text,
                  const std::string& option)
{
    const double bpm = ParseNumber(text, option);
    double low = 0.0;
    double high = 1e6;
    if (const std::optional<std::size_t> index = description.find(kTempo)) {
        low = description.parameters[*index].minValue;
        high = description.parameters[*index].maxValue;
    }
    if (!(bpm > 0.0 && bpm >= low && bpm <= high))
        throw UsageError(option + ": " + text + " BPM is outside " + FormatNumber(low) + " to " +
                         FormatNumber(high));
    return bpm;
}

namespace {

// "T:REST": a time at or after 0 (seconds, or minutes and seconds) and the
// rest. T ends at the last colon before any "=": "1:30:time=0.3" is at 1:30.
std::pair<double, std::string> splitTime(const std::string& text, const std::string& option)
{
    const std::size_t colon = text.rfind(':', text.find('='));
    if (colon == std::string::npos)
        throw UsageError(option + ": \"" + text + "\" is not of the form T:...");
    const double time = ParseClockTime(text.substr(0, colon), option + " time");
    if (time < 0.0)
        throw UsageError(option + ": the time " + text.substr(0, colon) + " lies before the start");
    return {time, text.substr(colon + 1)};
}

// A number of seconds (or with s or ms) from 0 to longest.
double parseSeconds(const std::string& text, const std::string& option, double longest)
{
    const double seconds = ParseSeconds(text, option);
    if (seconds < 0.0 || seconds > longest)
        throw UsageError(option + ": " + text + " is not from 0 to " + FormatNumber(longest) +
                         " seconds");
    return seconds;
}

} // namespace

ParameterSetting ParseAssignment(const PluginDescription& description, const std::string& text,
                                 const std::string& option)
{
    try {
        const auto [index, value] =
            ParseParameterAssignment(description, text, TapeDelayWords(description));
        return {index, value, option + " " + text};
    } catch (const ParameterValueError& error) {
        throw ParameterValueError(option + ": " + error.what());
    }
}

RenderJob ReadRenderSettings(const CommandLine& line, const PluginDescription& description,
                             const JobDefaults& defaults)
{
    RenderJob job;
    if (const std::optional<std::string> name = line.last("preset"))
        job.initialValues = PresetSettings(NamedPreset(*name), description);
    for (const std::string& text : line.all("set"))
        job.initialValues.push_back(ParseAssignment(description, text, "--set"));
    // Events in the order given: those due together take effect in it.
    for (const auto& [name, text] : line.options) {
        if (name == "at") {
            if (text.find('=') == std::string::npos)
                throw UsageError("--at: \"" + text + "\" is not of the form T:NAME=VALUE");
            const auto [time, assignment] = splitTime(text, "--at");
            job.changes.push_back({time, ParseAssignment(description, assignment, "--at")});
            job.changes.back().setting.given = "--at " + text;
        } else if (name == "tap") {
            const auto [time, bpm] = splitTime(text, "--tap");
            job.taps.push_back({time, ParseTempo(description, bpm, "--tap"), "--tap " + text});
        } else if (name == "session-bpm" && text.find(':') != std::string::npos) {
            const auto [time, bpm] = splitTime(text, "--session-bpm");
            job.sessionTempos.push_back(
                {time, ParseTempo(description, bpm, "--session-bpm"), "--session-bpm " + text});
        } else if (name == "automation") {
            ReadAutomationFile(text, description, job);
        }
    }
    for (const std::string& text : line.all("session-bpm"))
        if (text.find(':') == std::string::npos)
            job.sessionTempo = ParseTempo(description, text, "--session-bpm");
    if (const std::optional<std::string> block = line.last("block"))
        job.blockFrames =
            static_cast<std::uint32_t>(ParseWholeNumber(*block, "block", 1, kLargestBlock));
    const std::optional<std::string> tail = line.last("tail");
    if (tail ? *tail == "auto" : !defaults.tailSeconds) {
        job.tailSeconds = kLongestQuietTail;
        job.untilQuiet = QuietTailRule{kQuietFloorDbfs, kQuietHoldSeconds,
                                       [&description](const PluginInstance& instance) {
                                           return ShownDelay(description, instance);
                                       }};
    } else {
        job.tailSeconds =
            tail ? parseSeconds(*tail, "--tail", kLongestTail) : *defaults.tailSeconds;
    }
    const std::optional<std::string> preroll = line.last("preroll");
    job.prerollSeconds =
        preroll ? parseSeconds(*preroll, "--preroll", kLongestPreroll) : defaults.prerollSeconds;
    return job;
}

std::optional<double> ReadNormalizeLevel(const CommandLine& line)
{
    const std::optional<std::string> text = line.last("normalize");
    if (!text)
        return std::nullopt;
    const double level = ParseNumber(*text, "--normalize");
    if (level < kLowestNormalizeLevel || level > 0.0)
        throw UsageError("--normalize: " + *text + " is not from " +
                         FormatNumber(kLowestNormalizeLevel) + " to 0 dBFS");
    return level;
}
