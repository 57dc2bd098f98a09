#include "hostoptions.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void refuse(const std::string& text)
{
    throw HostInputError(text);
}

std::string shown(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

double number(const std::string& option, const std::string& text, double low, double high)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(begin, &end);
    if (text.empty() || end != begin + text.size() || errno == ERANGE || !std::isfinite(value))
        refuse(option + ": not a number: '" + text + "'");
    if (value < low || value > high)
        refuse(option + ": " + text + " is outside " + shown(low) + " to " + shown(high));
    return value;
}

std::uint32_t whole(const std::string& option, const std::string& text, double low, double high)
{
    const double value = number(option, text, low, high);
    if (value != std::floor(value))
        refuse(option + ": not a whole number: '" + text + "'");
    return static_cast<std::uint32_t>(value);
}

ParameterText setting(const std::string& option, const std::string& text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        refuse(option + ": expected ID=VALUE, got '" + text + "'");
    return {text.substr(0, equals), text.substr(equals + 1), option + " " + text};
}

AutomationPoint point(const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        refuse("--at: expected SECONDS:ID=VALUE, got '" + text + "'");
    AutomationPoint point{number("--at", text.substr(0, colon), 0.0, 86400.0),
                          setting("--at", text.substr(colon + 1))};
    point.setting.given = "--at " + text;
    return point;
}

TempoPoint tempoPoint(const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        refuse("--tempo-at: expected SECONDS:BPM, got '" + text + "'");
    return {number("--tempo-at", text.substr(0, colon), 0.0, 86400.0),
            number("--tempo-at", text.substr(colon + 1), 1, 999), "--tempo-at " + text};
}

EditorChange editorChange(const std::string& text)
{
    const std::size_t at = text.rfind('@');
    if (at == std::string::npos)
        refuse("--editor-set: expected ID=VALUE@SECONDS, got '" + text + "'");
    EditorChange change{number("--editor-set", text.substr(at + 1), 0.0, 86400.0),
                        setting("--editor-set", text.substr(0, at))};
    change.setting.given = "--editor-set " + text;
    return change;
}

} // namespace

HostOptions ParseHostOptions(const HostCommand& command, std::span<const std::string> arguments)
{
    HostOptions options;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
            options.help = true;
            return options;
        }
        if (argument == "--show-values") {
            options.showValues = true;
            continue;
        }
        if (argument.size() < 2 || argument.compare(0, 2, "--") != 0 || argument == "--") {
            files.push_back(argument);
            continue;
        }
        if (i + 1 == arguments.size())
            refuse(argument + " needs a value");
        const std::string& value = arguments[++i];
        if (argument == "--set")
            options.starting.push_back(setting(argument, value));
        else if (argument == "--at")
            options.points.push_back(point(value));
        else if (argument == "--block")
            options.blockFrames = whole(argument, value, 1, 1048576);
        else if (argument == "--random-blocks")
            options.randomBlocksSeed = whole(argument, value, 0, 4294967295.0);
        else if (argument == "--tempo")
            options.tempo = number(argument, value, 1, 999);
        else if (argument == "--tempo-at" && command.tempoPoints)
            options.tempoPoints.push_back(tempoPoint(value));
        else if (argument == "--save-restore")
            options.saveRestoreSeconds = number(argument, value, 0, 86400);
        else if (argument == "--rate")
            options.rawRate = number(argument, value, 1, 1000000);
        else if (argument == "--editor")
            options.editorSeconds = number(argument, value, 0.001, 86400);
        else if (argument == "--editor-set")
            options.editorChanges.push_back(editorChange(value));
        else if (argument == "--editor-cycles")
            options.editorCycles = whole(argument, value, 1, 100000);
        else if (argument == "--plugin-id" && command.pluginIds)
            options.pluginId = value;
        else
            refuse("unknown option " + argument);
    }
    for (const EditorChange& change : options.editorChanges)
        if (!(change.seconds < options.editorSeconds))
            refuse(change.setting.given + ": not while the editor is open (--editor " +
                   shown(options.editorSeconds) + ")");
    if (files.size() != 3)
        refuse("expected " + std::string(command.pluginFile) + " INPUT OUTPUT, got " +
               std::to_string(files.size()) + (files.size() == 1 ? " file" : " files"));
    options.plugin = files[0];
    options.input = files[1];
    options.output = files[2];
    return options;
}

std::string HostUsageText(const HostCommand& command)
{
    std::string text = command.usageHead;
    text += R"(
Options:
  --set ID=VALUE          a starting value; ID is the parameter's
                          four-character ID or its title, VALUE its text as
                          the plug-in reads it ("Dark", "0.3") or a plain
                          number; several go to the plug-in in its own
                          parameter order
  --at SECONDS:ID=VALUE   an automation point at that time, at its exact
                          sample within its block
  --block N               frames per block [1 to 1048576; default 512]
  --random-blocks SEED    block sizes drawn from 1 to N (--block) by SEED
  --tempo BPM             the transport's tempo [1 to 999; default 120]
)";
    if (command.tempoPoints)
        text += R"(  --tempo-at SECONDS:BPM  the transport's tempo from that time on, changed at
                          its exact sample within its block
)";
    text += R"(  --save-restore SECONDS  at that time, save the plug-in's state, go on with
                          a new instance given that state
  --rate HZ               sample rate of headerless input [default 48000]
)";
    if (command.pluginIds)
        text += R"(  --plugin-id ID          the plug-in of the file to run [default: the first
                          whose audio ports have INPUT's channels]
)";
    text += R"(  --editor SECONDS        before the render, open the plug-in's editor in a
                          window for that long (or until the window is
                          closed), print each gesture the host receives
                          ("begin fbak", "value fbak 6.2", "end fbak"), then
                          render with the values the editor left
  --editor-set ID=VALUE@SECONDS
                          a change the host makes itself (as automation)
                          that long after the editor opened
  --editor-cycles N       before the render, open and close the editor N
                          times, a few of its timer ticks each, and print the
                          resident memory after the first and the last
  --show-values           print the value of every parameter a host sets,
                          at the end
  -h, --help              this text

Exit status: 0 success, 2 a bad option, file or value, 1 the plug-in failed.
)";
    return text;
}
