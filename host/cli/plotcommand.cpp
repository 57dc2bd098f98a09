// tapedelay plot: an SVG picture of what settings do to a click, rendered
// through the plug-in.
#include <cmath>
#include <cstdio>
#include <sstream>

#include "commandline.h"
#include "commands.h"
#include "host/cli/job/presetsettings.h"
#include "host/cli/job/renderrun.h"
#include "host/cli/job/rendersettings.h"
#include "host/cli/plot/plotfile.h"
#include "host/cli/plot/plottext.h"
#include "host/cli/plot/svgplot.h"
#include "host/product/shownvalues.h"
#include "host/render/echotrain.h"
#include "host/render/memoryaudio.h"
#include "host/runtime/values/parametervalue.h"

namespace {

constexpr const char* kUsage = R"(usage: tapedelay plot [options] OUTPUT.svg|OUTPUT.png

Renders a click through the tape delay and draws what comes out as an SVG
picture: the echo train (the level of each repeat in dB over time, with the
delay and its tempo marked) and the spectrum of the first repeat against the
dry click, where Tone and Mode show. It opens in any web browser. An OUTPUT
ending in .png is converted by rsvg-convert (Debian: librsvg2-bin).

Options:
  --compare SETTING    draw one more setting on the same axes: a preset (by
                       label or name) in place of --preset, or ID=VALUE pairs
                       separated by spaces, turned in after the --set values;
                       give it once per setting, for example
                       --compare mode=Vintage --compare mode=Retro. Settings
                       whose echoes last less than half as long as another's
                       get a time axis of their own.
  --preset NAME        start from a built-in preset (see tapedelay presets)
  --set ID=VALUE       a control turned before the click, as for render
  --at T:ID=VALUE, --tap T:BPM, --session-bpm BPM or T:BPM, --automation FILE
                       events, as for render (times from the click)
  --tail SECONDS|auto  how long after the click to plot [default auto: until
                       the echoes have died away, as for render, at most
                       60 s, so a long delay shows all its repeats]
  --preroll SECONDS    silence run first, so the first echo is as loud as the
                       rest [default 3]
  --rate HZ            the sample rate [default 48000]
  --block N            frames per block [default 512]
  --plugin PATH        the plug-in library [default: beside this program,
                       or $TAPEDELAY_PLUGIN]
  --quiet              print nothing but warnings and errors
  -h, --help           this text

The click is one sample at -6 dBFS. Each repeat is measured as the loudest
sample within half a delay of where it is due; the picture carries every
measurement (hover over a point, or read its data- attributes).
)";

constexpr float kClick = 0.5f;
constexpr std::size_t kEnvelopeBins = 900;

struct Setting {
    std::string label;
    RenderJob job;
};

// The command's own settings, for the legend or the subtitle.
std::string settingsText(const CommandLine& line)
{
    std::string text;
    if (const std::optional<std::string> preset = line.last("preset"))
        text = NamedPreset(*preset).label;
    for (const std::string& value : line.all("set"))
        text += (text.empty() ? "" : " ") + value;
    return text;
}

// --compare: a preset, which takes the place of the command's --preset, or
// ID=VALUE pairs turned in after the command's own settings.
Setting comparedSetting(const RenderJob& common, std::size_t commonPresetValues,
                        const std::string& text, const PluginDescription& description)
{
    Setting setting{text, common};
    std::vector<ParameterSetting>& values = setting.job.initialValues;
    if (text.find('=') == std::string::npos) {
        const Preset& preset = NamedPreset(text);
        setting.label = preset.label;
        const std::vector<ParameterSetting> presetValues = PresetSettings(preset, description);
        values.erase(values.begin(),
                     values.begin() + static_cast<std::ptrdiff_t>(commonPresetValues));
        values.insert(values.begin(), presetValues.begin(), presetValues.end());
        return setting;
    }
    std::istringstream words(text);
    for (std::string word; words >> word;)
        values.push_back(ParseAssignment(description, word, "--compare"));
    return setting;
}

} // namespace

std::string PlotUsage()
{
    return kUsage;
}

int PlotCommand(const CommandLine& line)
{
    const std::string& output = line.operands[0];
    RefuseOverwritingInputs(output, "OUTPUT", line.all("automation"));
    PlotFile file(output);
    const auto rate = static_cast<double>(
        ParseWholeNumber(line.last("rate").value_or("48000"), "rate", 1, 100000000));

    PluginLibrary library(PluginPath(line));
    const PluginDescription description = DescribeLibrary(library);
    // The plot's own defaults, whatever render's are: the click after a
    // pre-roll, until its echoes have died away.
    const RenderJob common = ReadRenderSettings(line, description, {3.0, std::nullopt});

    const std::string shared = settingsText(line);
    std::vector<Setting> settings;
    const std::optional<std::string> commonPreset = line.last("preset");
    const std::size_t commonPresetValues =
        commonPreset ? PresetSettings(NamedPreset(*commonPreset), description).size() : 0;
    for (const std::string& text : line.all("compare"))
        settings.push_back(comparedSetting(common, commonPresetValues, text, description));
    if (settings.empty())
        settings.push_back({shared.empty() ? "default settings" : shared, common});

    std::vector<PlotSeries> series;
    for (const Setting& setting : settings) {
        MemorySource click({kClick}, rate);
        MemorySink response;
        RenderOptions options;
        options.progress = false;
        const RenderReport report = RunRender(library, description, click, response,
                                              "the plot's render", setting.job, options);
        for (const std::string& warning : report.warnings)
            std::fprintf(stderr, "tapedelay: warning: %s: %s\n", setting.label.c_str(),
                         warning.c_str());
        const std::vector<double>& values = report.result.finalValues;
        const std::optional<std::size_t> delay =
            DelayParameter(description, [&](std::size_t index) { return values[index]; });
        series.push_back({setting.label, DelayText(description, values),
                          MeasureEchoTrain(response.samples(), rate, delay ? values[*delay] : 0.0,
                                           kEnvelopeBins)});
    }

    PlotPage page;
    page.sampleRate = rate;
    page.clickDbfs = 20.0 * std::log10(static_cast<double>(kClick));
    page.title = "What the tape delay does to a click";
    char subtitle[160];
    std::snprintf(subtitle, sizeof subtitle, "a %.0f dBFS click at %s Hz after %s s of pre-roll",
                  page.clickDbfs, FormatNumber(rate).c_str(),
                  FormatNumber(common.prerollSeconds).c_str());
    page.subtitle = subtitle;
    if (!line.all("compare").empty() && !shared.empty())
        page.subtitle += "; every setting with " + shared;
    file.write(EchoPlotSvg(series, page));

    if (!line.has("quiet"))
        for (const PlotSeries& one : series)
            std::fprintf(stderr, "%s: %s; %s measured\n", one.label.c_str(), one.delayText.c_str(),
                         Counted(one.train.repeats.size(), "repeat").c_str());
    return kExitSuccess;
}
