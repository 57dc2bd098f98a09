// tapedelay render: one input through the plug-in into one output.
#include <cstdio>
#include <iostream>

#include "commandline.h"
#include "commands.h"
#include "progress.h"
#include "renderrun.h"
#include "rendersettings.h"

namespace {

constexpr const char* kUsage = R"(usage: tapedelay render [options] INPUT OUTPUT

Renders INPUT through the tape delay into OUTPUT. Sound files (WAV, AIFF,
FLAC, ...) carry their own rate and channels; a name ending in ".f32", or
"-" for standard input or output, is headerless little-endian 32-bit float
mono. Every channel is processed by its own plug-in instance with the same
settings.

  --rate HZ              sample rate of raw input (default 48000)
  --set ID=VALUE         initial value of parameter ID (a number, or one of
                         a list parameter's options); repeatable
  --at T:ID=VALUE        change parameter ID to VALUE at T seconds; repeatable
  --tap T:BPM            a tapped tempo at T seconds; repeatable
  --session-bpm BPM      the host's session tempo
  --block N              block size in frames (default 512)
  --tail SECONDS         silence appended so that the echoes ring out
                         (default 2)
  --plugin PATH          the plug-in library (default: beside this program,
                         or $TAPEDELAY_PLUGIN)
  --quiet                no progress bar and no summary
  --help                 this text

See `tapedelay describe` for the parameters, their ranges and options.
)";

} // namespace

int RenderCommand(const std::vector<std::string>& arguments)
{
    const CommandLine line = ParseCommandLine(
        arguments, "render", {"rate", "set", "at", "tap", "session-bpm", "block", "tail", "plugin"},
        {"quiet", "help"});
    if (line.has("help")) {
        std::cout << kUsage;
        return kExitSuccess;
    }
    if (line.operands.size() != 2)
        throw UsageError("render needs INPUT and OUTPUT (see tapedelay render --help)");
    const std::string& inputPath = line.operands[0];
    const std::string& outputPath = line.operands[1];
    const bool quiet = line.has("quiet");

    const double rawRate = static_cast<double>(
        ParseWholeNumber(line.last("rate").value_or("48000"), "rate", 1, 100000000));
    if (SameFile(inputPath, outputPath))
        throw UsageError("OUTPUT " + outputPath + " is the same file as INPUT");
    const std::unique_ptr<AudioSource> source = OpenAudioSource(inputPath, rawRate);
    if (line.has("rate") && !IsRawAudioPath(inputPath) && !quiet)
        std::fprintf(stderr, "tapedelay: note: --rate ignored; %s carries its own rate (%g Hz)\n",
                     inputPath.c_str(), source->sampleRate());

    // The sink first: output to "-" moves the process's standard output
    // aside, so nothing the library prints can reach the audio.
    const std::unique_ptr<AudioSink> sink =
        CreateAudioSink(outputPath, source->channels(), source->sampleRate());
    PluginLibrary library(PluginPath(line));
    const PluginDescription description = DescribeLibrary(library);
    const RenderJob job = ReadRenderSettings(line, description);

    ProgressBar progress(!quiet, source->sampleRate());
    const RenderResult result = RenderAtSupportedRate(
        library, *source, *sink, job, [&](std::uint64_t done, std::optional<std::uint64_t> total) {
            progress.update(done, total);
        });
    progress.finish();
    sink->commit();

    if (result.replacedSamples != 0)
        std::fprintf(stderr,
                     "tapedelay: warning: %zu non-finite input samples (NaN or infinity) were "
                     "replaced by 0\n",
                     result.replacedSamples);
    if (!quiet)
        std::fprintf(stderr, "%s\n", RenderSummary(result).c_str());
    return kExitSuccess;
}
