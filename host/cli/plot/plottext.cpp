#include "plottext.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>

#include "host/product/parametercodes.h"
#include "host/product/shownvalues.h"
#include "host/runtime/values/messagevalues.h"
#include "host/runtime/values/parametervalue.h"

namespace {

std::string lowercase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// " (a quarter note at 120.0 BPM)", or nothing when the plug-in's BPM could
// not be set to that tempo.
std::string quarterNoteTempo(const PluginDescription& description, double delaySeconds)
{
    const std::optional<std::size_t> tempo = description.find(kTempo);
    const double bpm = 60.0 / delaySeconds;
    if (!tempo || !(bpm >= description.parameters[*tempo].minValue &&
                    bpm <= description.parameters[*tempo].maxValue))
        return "";
    char text[64];
    std::snprintf(text, sizeof text, " (a quarter note at %.1f BPM)", bpm);
    return text;
}

} // namespace

std::string Counted(std::size_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string DelayText(const PluginDescription& description, const std::vector<double>& values)
{
    const auto value = [&](std::size_t index) { return values[index]; };
    const std::optional<std::size_t> delay = DelayParameter(description, value);
    if (!delay)
        return "no delay parameter";
    char head[48];
    std::snprintf(head, sizeof head, "delay %.3f s", values[*delay]);
    const std::optional<std::size_t> note = description.find(kNoteValue);
    if (!note || std::trunc(values[*note]) == 0.0)
        return head + quarterNoteTempo(description, values[*delay]);
    std::string text = head + std::string(": ");
    if (const std::optional<std::size_t> dot = description.find(kDottedTriplet);
        dot && std::trunc(values[*dot]) != 0.0)
        text += lowercase(ParameterValueText(description.parameters[*dot], values[*dot])) + " ";
    text += lowercase(ParameterValueText(description.parameters[*note], values[*note]));
    const std::optional<std::size_t> lock = description.find(kTempoLock);
    const bool locked = lock && std::trunc(values[*lock]) != 0.0;
    const std::optional<std::size_t> tempo = description.find(locked ? kShownSessionTempo : kTempo);
    if (tempo)
        text += " at " + FormatNumber(values[*tempo]) + " BPM" + (locked ? " (session tempo)" : "");
    return text;
}
