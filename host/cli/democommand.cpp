// tapedelay demo: the built-in phrase through four of the built-in presets,
// one WAV file each.
#include <cstdio>
#include <filesystem>

#include "commandline.h"
#include "commands.h"
#include "demophrase.h"
#include "host/cli/job/presetsettings.h"
#include "host/cli/job/renderrun.h"
#include "host/render/memoryaudio.h"

namespace {

constexpr const char* kUsage = R"(usage: tapedelay demo [--out DIR] [--plugin PATH] [--quiet]

Renders a built-in phrase (plucked notes, kick and snare at 120 BPM, 8 s)
through four of the built-in presets (slapback, dub-echo, clean-quarter,
dark-long; see tapedelay presets) and writes one WAV file per preset into
DIR (default: out), printing each file's settings, duration, peaks and
delay. The tape delay runs for 3 s of silence first (a pre-roll), as in a
host that was playing before the phrase.

  --out DIR      where the files go (created when missing)
  --plugin PATH  the plug-in library (default: beside this program, or
                 $TAPEDELAY_PLUGIN)
  --quiet        print nothing but errors
  --help         this text
)";

constexpr double kDemoRate = 48000.0;
constexpr double kDemoTail = 4.0;
// The tape delay runs before the phrase starts, as in a host, so the first
// echo is as loud as the rest.
constexpr double kDemoPreroll = 3.0;

// The presets the demo renders, one file each under its name.
constexpr const char* kDemoPresets[] = {"slapback", "dub-echo", "clean-quarter", "dark-long"};

} // namespace

std::string DemoUsage()
{
    return kUsage;
}

int DemoCommand(const CommandLine& line)
{
    const bool quiet = line.has("quiet");
    const std::filesystem::path directory = line.last("out").value_or("out");
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        throw UsageError("--out: cannot create " + directory.string() + ": " + error.message());

    PluginLibrary library(PluginPath(line));
    const PluginDescription description = DescribeLibrary(library);
    const std::vector<float> phrase = DemoPhrase(kDemoRate);

    for (const char* name : kDemoPresets) {
        const Preset& preset = NamedPreset(name);
        RenderJob job;
        job.tailSeconds = kDemoTail;
        job.prerollSeconds = kDemoPreroll;
        job.initialValues = PresetSettings(preset, description);
        const std::string path = (directory / (preset.name + ".wav")).string();
        MemorySource source(phrase, kDemoRate);
        const std::unique_ptr<AudioSink> sink = CreateAudioSink(path, 1, kDemoRate);
        RenderOptions options;
        options.progress = !quiet;
        const RenderReport report =
            RunRender(library, description, source, *sink, path, job, options);
        for (const std::string& warning : report.warnings)
            std::fprintf(stderr, "tapedelay: warning: %s\n", warning.c_str());
        if (!quiet)
            std::printf("%s\n  %s: %s\n  settings: %s\n  %s\n\n", path.c_str(),
                        preset.label.c_str(), preset.description.c_str(),
                        PresetSettingsText(preset, description).c_str(),
                        RenderSummary(report, job, description).c_str());
    }
    return kExitSuccess;
}
