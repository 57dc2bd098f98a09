// tapedelay render: one input through the plug-in into one output.
#include <cstdio>

#include "commandline.h"
#include "commands.h"
#include "host/cli/job/renderrun.h"
#include "host/cli/job/rendersettings.h"
#include "host/cli/report/renderreport.h"
#include "host/files/textfile.h"
#include "host/product/rates.h"

namespace {

// The usage text around the supported rates and the build's list of output
// file types.
constexpr const char* kUsageHead = R"(usage: tapedelay render [options] INPUT OUTPUT

Renders INPUT through the tape delay into OUTPUT. Sound files carry their own
rate and channels; every channel is processed by its own plug-in instance
with the same settings. A name ending in ".f32", or "-" for standard input
or output, is headerless little-endian 32-bit float mono; a sound file on
standard input is read as that file.

Options (limits in brackets):
  --preset NAME        start from a built-in preset, by its label or name in
                       any case (the last one given counts); its values are
                       turned in before any --set (see tapedelay presets)
  --set NAME=VALUE     a control turned before the audio starts, in the order
                       given, as a user would: NAME its id, LV2 symbol or
                       name in any case (fbak, bpm, "Delay Time"), VALUE a
                       number in its range (a time also as 300ms), one of a
                       list's options (8th, eighth, 1/8), on or off; the
                       plug-in's own answers stand, so give .bpm after nval
  --at T:NAME=VALUE    change a parameter at T [T >= 0]; every T is seconds
                       (90, 90.5s, 500ms) or minutes and seconds (1:30.5)
  --tap T:BPM          a tapped tempo at T [BPM 5 to 500]
  --session-bpm BPM    the host's session tempo, followed under Tempo Lock
                       [5 to 500; default 120]; T:BPM changes it at T
  --automation FILE    changes, taps and session tempos from a text file, one
                       event a line, as if given in its place on the command
                       line: "4.0 time 0.6" (--at 4.0:time=0.6), "8.0 tap 140"
                       (--tap 8.0:140), "12.0 session-bpm 96" (--session-bpm
                       12.0:96); # starts a comment; blank lines are skipped
  --preroll SECONDS    silence run through the plug-in before the input, its
                       output dropped, so the first echo is as loud as the
                       rest, as in a host where it runs before you press
                       play [0 to 60; default 3]; --at and --tap times count
                       from the start of the input
  --tail SECONDS|auto  silence appended so the echoes ring out [0 to 3600;
                       default auto]; auto: until the output has stayed below
                       -90 dBFS (or the tape hiss, where that is louder) for
                       half a second longer than the delay, at most 60 s;
                       --preroll 0 --tail 0 gives the input's length exactly
  --normalize DBFS     scale the output so its highest peak sits at DBFS
                       [-120 to 0]
  --block N            frames per block [1 to 1048576; default 512]; the
                       output does not depend on it
  --rate HZ            sample rate of raw input [default 48000]
  --plugin PATH        the plug-in library [default: beside this program,
                       or $TAPEDELAY_PLUGIN]
  --report FILE        also write the summary, the warnings and the settings
                       used as JSON
  --quiet              no progress bar and no summary (warnings still show)
  -h, --help           this text
)";

constexpr const char* kUsageTail = R"(
Levels: the dry signal passes at unity with Input 5, Output 4.556 and
Blend 1; at the defaults (5, 4.5, 5) it comes out 9.4 dB lower, Blend 5
giving the dry signal and the echoes the same gain. The gain in dB of each
dial, the others at unity:
  dial        1       3       5       7       9
  Input   -12.0    -6.0     0.0    +6.0   +12.0   (the dry signal and echoes)
  Output  -12.0    -5.3    +1.5    +8.3   +15.0   (the dry signal and echoes)
  Blend     0.0    -1.6    -9.2   -25.3   -52.0   (the dry signal; the echoes
                                                   mirror it: 9 is 0 dB)

Exit status: 0 success (warnings go to standard error), 2 a usage or input
error (a bad option or value, a missing or unreadable file, an unsupported
rate, a plug-in library that cannot be loaded), 1 an internal failure,
128 + N when stopped by signal N (the unfinished output is removed).
See `tapedelay describe` for the parameters, their ranges and options.
)";

} // namespace

std::string RenderUsage()
{
    return kUsageHead + std::string("\nThe tape delay runs at ") + FormatNumber(kLowestRate) +
           " to " + FormatNumber(kHighestRate) + " Hz. Sound files are written as\n" +
           OutputTypesText() + kUsageTail;
}

int RenderCommand(const CommandLine& line)
{
    const std::string& inputPath = line.operands[0];
    const std::string& outputPath = line.operands[1];
    const bool quiet = line.has("quiet");
    RenderOptions options;
    options.progress = !quiet;
    options.normalizeDbfs = ReadNormalizeLevel(line);

    const double rawRate = static_cast<double>(
        ParseWholeNumber(line.last("rate").value_or("48000"), "rate", 1, 100000000));
    if (SameFile(inputPath, outputPath))
        throw UsageError("OUTPUT " + outputPath + " is the same file as INPUT");
    // Every output is claimed before the work, so that one that cannot be
    // written stops the run with every existing file untouched.
    std::optional<TextFileOutput> report;
    if (const std::optional<std::string> reportPath = line.last("report")) {
        std::vector<std::string> inputs = line.all("automation");
        inputs.insert(inputs.end(), {inputPath, outputPath});
        RefuseOverwritingInputs(*reportPath, "--report", inputs);
        report.emplace(*reportPath);
    }
    const std::unique_ptr<AudioSource> source = OpenAudioSource(inputPath, rawRate);
    // A sound file, named or piped in, carries its own rate.
    if (line.has("rate") && source->sampleRate() != rawRate && !quiet)
        std::fprintf(stderr, "tapedelay: note: --rate ignored; %s carries its own rate (%g Hz)\n",
                     inputPath == "-" ? "standard input" : inputPath.c_str(), source->sampleRate());

    // The sink first: output to "-" moves the process's standard output
    // aside, so nothing the library prints can reach the audio.
    const std::unique_ptr<AudioSink> sink =
        CreateAudioSink(outputPath, source->channels(), source->sampleRate());
    PluginLibrary library(PluginPath(line));
    const PluginDescription description = DescribeLibrary(library);
    const RenderJob job = ReadRenderSettings(line, description);

    const RenderReport rendered =
        RunRender(library, description, *source, *sink, outputPath, job, options);
    for (const std::string& warning : rendered.warnings)
        std::fprintf(stderr, "tapedelay: warning: %s\n", warning.c_str());
    if (!quiet)
        std::fprintf(stderr, "%s\n", RenderSummary(rendered, job, description).c_str());
    if (report)
        report->write(
            RenderReportJson(rendered, job, options, description, {inputPath, outputPath}));
    return kExitSuccess;
}
