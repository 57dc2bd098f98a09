// What the command gives scripts and browsers, read by other programs: the
// JSON of describe, presets and render --report parsed by Python, and the
// plot checked by xmllint, re-measured against its own render and shown in
// headless Chromium.
#include "commandtest.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "host/audio/audiofile.h"
#include "host/cli/job/presetsettings.h"
#include "host/cli/report/jsonwriter.h"
#include "host/product/presets.h"
#include "host/render/echotrain.h"
#include "host/runtime/values/parametervalue.h"
#include "tests/support/shell.h"

namespace {

struct Scripts : CommandTest {
    // Runs a Python script on the files given; its output split in lines
    // and tab-separated fields.
    std::vector<std::vector<std::string>> python(const std::string& script,
                                                 const std::vector<std::string>& files)
    {
        writeText(path("script.py"), script);
        std::string command = "python3 '" + path("script.py") + "'";
        for (const std::string& file : files)
            command += " '" + file + "'";
        const Outcome done = Shell(command, false);
        EXPECT_EQ(done.status, 0) << script;
        std::istringstream out(done.output);
        std::vector<std::vector<std::string>> rows;
        for (std::string line; std::getline(out, line);) {
            std::vector<std::string> fields;
            std::istringstream cells(line);
            for (std::string cell; std::getline(cells, cell, '\t');)
                fields.push_back(cell);
            rows.push_back(fields);
        }
        return rows;
    }

    // As written, subnormal numbers too.
    static double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }
};

// The JSON parses, and its numbers read back as the plug-in described them
// (the texts' own escaping is JsonStringsAndNumbersReadBackExactly's).
TEST_F(Scripts, DescribeAndPresetsAsJsonSayWhatThePluginSays)
{
    writeText(path("describe.json"), printed({"describe", "--json"}));
    writeText(path("presets.json"), printed({"presets", "--json"}));
    const auto rows = python(R"(
import json, sys
d = json.load(open(sys.argv[1]))
for p in d["parameters"]:
    print(p["index"], p["id"], repr(p.get("min", 0.0)), repr(p.get("max", 0.0)),
          repr(p["default"]), p["defaultText"], len(p.get("options", [])), sep="\t")
print("meters", *(m["label"] for m in d["meters"]), sep="\t")
for p in json.load(open(sys.argv[2])):
    print("preset", p["label"], p["name"], len(p["settings"]), sep="\t")
)",
                             {path("describe.json"), path("presets.json")});
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    const PluginDescription description = DescribeLibrary(library);
    ASSERT_EQ(rows.size(), description.parameters.size() + 1 + Presets().size());
    for (std::size_t i = 0; i < description.parameters.size(); ++i) {
        const ParameterInfo& p = description.parameters[i];
        const bool list = p.kind == ParameterKind::list;
        EXPECT_EQ(rows[i],
                  (std::vector<std::string>{std::to_string(i), p.code, rows[i][2], rows[i][3],
                                            rows[i][4], ParameterValueText(p, p.defaultValue),
                                            std::to_string(p.options.size())}));
        EXPECT_EQ(number(rows[i][2]), list ? 0.0 : p.minValue) << p.code;
        EXPECT_EQ(number(rows[i][3]), list ? 0.0 : p.maxValue) << p.code;
        EXPECT_EQ(number(rows[i][4]), p.defaultValue) << p.code;
    }
    EXPECT_EQ(rows[description.parameters.size()],
              (std::vector<std::string>{"meters", "In", "Out"}));
    for (std::size_t i = 0; i < Presets().size(); ++i) {
        const Preset& preset = Presets()[i];
        EXPECT_EQ(rows[description.parameters.size() + 1 + i],
                  (std::vector<std::string>{"preset", preset.label, preset.name,
                                            std::to_string(preset.values.size())}));
    }
}

TEST_F(Scripts, JsonStringsAndNumbersReadBackExactly)
{
    using namespace std::string_literals;
    const std::vector<std::string> texts = {
        "plain", "quote \" backslash \\ slash /", "tab\tnew line\nreturn\r",
        "control \x01\x1f and nul \0 end"s, "UTF-8: d\xc3\xa9j\xc3\xa0 \xe2\x99\xa9"};
    const std::vector<double> numbers = {
        0.1, -2.5, 120.0, 1e-300, 5e-324, 1.7976931348623157e308, 0.30000000000000004, 1e21};
    JsonWriter json;
    json.beginObject().key("texts").beginArray();
    for (const std::string& text : texts)
        json.value(std::string_view(text));
    json.endArray().key("numbers").beginArray();
    for (const double value : numbers)
        json.value(value);
    json.value(std::nan("")).endArray().key("empty").beginObject().endObject();
    json.key("none").beginArray().endArray().endObject();
    writeText(path("values.json"), json.text());

    // The texts come back in a file of their own, joined by record separators.
    const auto rows = python(R"(
import json, sys
d = json.load(open(sys.argv[1]))
open(sys.argv[2], "wb").write("\x1e".join(d["texts"]).encode("utf-8"))
for n in d["numbers"]:
    print(repr(n))
print(d["empty"], d["none"])
)",
                             {path("values.json"), path("texts.bin")});
    std::string joined = texts[0];
    for (std::size_t i = 1; i < texts.size(); ++i)
        joined += "\x1e" + texts[i];
    EXPECT_EQ(readText(path("texts.bin")), joined);
    ASSERT_EQ(rows.size(), numbers.size() + 2);
    for (std::size_t i = 0; i < numbers.size(); ++i)
        EXPECT_EQ(number(rows[i][0]), numbers[i]) << rows[i][0];
    EXPECT_EQ(rows[numbers.size()][0], "None");
    EXPECT_EQ(rows.back()[0], "{} []");
}

TEST_F(Scripts, TheReportSaysWhatTheSummaryAndTheWarningsSay)
{
    // Stereo: a loud left channel that clips in a FLAC file, a quiet right.
    writeStereo(path("in.wav"), Noise(24000, 0.95f, 3), Noise(24000, 0.05f, 4));
    writeText(path("events.txt"), "0.25 time 0.2\n9 fbak 3\n");
    ASSERT_EQ(
        runCapturing({"render", "--preset", "slapback", "--set", "oput=9", "--set", "inpt=9",
                      "--automation", path("events.txt"), "--session-bpm", "0.4:100", "--tail",
                      "0.5", "--report", path("report.json"), path("in.wav"), path("out.flac")}),
        0);
    const auto rows = python(R"py(
import json, sys
r = json.load(open(sys.argv[1]))
def db(x): return "-inf dBFS" if x is None else ("%+.1f dBFS" if x > 0 else "%.1f dBFS") % x
print("%.2f s (%d frames) at %d Hz, %d channels" % (r["seconds"], r["outputFrames"],
                                                     r["sampleRate"], r["channels"]))
for p in r["peaks"]:
    line = "channel %d: in %s, out %s" % (p["channel"], db(p["inputDbfs"]), db(p["outputDbfs"]))
    if p["clippedSamples"]:
        line += " (%d samples clipped from %s)" % (p["clippedSamples"], db(p["renderedDbfs"]))
    print(line)
print("delay %.3f s" % r["final"]["delaySeconds"])
print(r["clippedSamples"])
print(r["tail"]["frames"], r["settings"]["tail"], r["settings"]["sessionTempoChanges"][0]["bpm"])
for s in r["settings"]["initial"] + r["settings"]["changes"]:
    print(s["id"] + "=" + s["text"], s["given"], sep="\t")
for w in r["warnings"]:
    print("tapedelay: warning: " + w)
)py",
                             {path("report.json")});
    ASSERT_EQ(rows.size(), 17u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(said(rows[i][0])) << rows[i][0] << "\n" << errors;
    EXPECT_NE(rows[1][0].find(" samples clipped from +"), std::string::npos) << rows[1][0];
    EXPECT_NE(rows[4][0], "0");
    EXPECT_TRUE(said(rows[4][0] + " samples above full scale were clipped")) << errors;
    EXPECT_EQ(rows[5][0], "24000 0.5 100");
    // The preset's five values, the --set values, then the file's events.
    EXPECT_EQ(rows[6], (std::vector<std::string>{"time=0.11", "preset Slapback (time=0.11)"}));
    EXPECT_EQ(rows[12], (std::vector<std::string>{"inpt=9", "--set inpt=9"}));
    EXPECT_EQ(rows[13][0], "time=0.2");
    EXPECT_EQ(rows[13][1], path("events.txt") + ":1 (0.25 time 0.2)");
    // Every warning, in the order printed: the late change, the clipping.
    std::string warnings;
    for (std::size_t i = 15; i < rows.size(); ++i)
        warnings += rows[i][0] + "\n";
    EXPECT_NE(warnings.find(":2 (9 fbak 3) comes after the end"), std::string::npos) << warnings;
    EXPECT_EQ(errors.find(warnings), 0u) << errors << "\n---\n" << warnings;

    // A report may not replace an input.
    EXPECT_EQ(
        run({"render", "--quiet", "--report", path("in.wav"), path("in.wav"), path("out2.wav")}),
        2);
    EXPECT_FALSE(std::filesystem::exists(path("out2.wav")));
}

// sox reads the float WAV files the command writes without a warning
// (beyond two channels they are extensible, on which sox always warns).
TEST_F(Scripts, SoxReadsTheWavFilesAsTheyAre)
{
    if (!ToolInstalled("soxi", "sox"))
        return;
    for (const std::size_t channels : {1, 2}) {
        const std::string file = path(std::to_string(channels) + ".wav");
        const std::vector<float> audio = Noise(480 * channels);
        const std::unique_ptr<AudioSink> sink = CreateAudioSink(file, channels, 48000);
        sink->write(audio.data(), 480);
        sink->commit();
        const Outcome info = Shell("soxi '" + file + "' 2>&1", false);
        EXPECT_EQ(info.status, 0);
        EXPECT_EQ(info.output.find("WARN"), std::string::npos) << info.output;
        for (const std::string& fact : {"Channels       : " + std::to_string(channels),
                                        std::string("Duration       : 00:00:00.01 = 480 samples"),
                                        std::string("32-bit Floating Point PCM")})
            EXPECT_NE(info.output.find(fact), std::string::npos) << info.output;
    }
}

TEST_F(Scripts, ThePlotDrawsWhatItsRenderMeasures)
{
    ASSERT_EQ(
        run({"plot", "--quiet", "--preroll", "3", "--tail", "4", "--set", "fbak=5", "--compare",
             "mode=Vintage tone=Dark", "--compare", "Dub Echo", path("plot.svg")}),
        0);
    if (!ToolInstalled("xmllint", "libxml2-utils"))
        return;
    const Outcome lint = Shell("xmllint --noout '" + path("plot.svg") + "'");
    ASSERT_EQ(lint.status, 0) << "xmllint refused the plot: " << lint.output;
    const auto rows = python(R"(
import sys, xml.etree.ElementTree as ET
ns = "{http://www.w3.org/2000/svg}"
svg = ET.parse(sys.argv[1]).getroot()
for g in svg.iter(ns + "g"):
    if g.get("class") == "series":
        print("delay", g.get("data-series"), g.get("data-delay-seconds"), sep="\t")
for c in svg.iter(ns + "circle"):
    if c.get("class") == "repeat":
        print(*(c.get(k) for k in ["data-series", "data-repeat", "data-frame", "data-level-db",
                                   "data-seconds", "cx", "cy"]), sep="\t")
print("labels", " ".join(str(t.text) for t in svg.iter(ns + "text")), sep="\t")
)",
                             {path("plot.svg")});
    // Per series: the delay, and each repeat's number, frame, level, time
    // and place.
    std::map<std::size_t, double> delays;
    std::map<std::size_t, std::vector<std::vector<double>>> plotted;
    std::string shown; // the legend's lines joined again
    for (const std::vector<std::string>& row : rows) {
        if (row[0] == "delay") {
            delays[std::stoul(row[1])] = number(row[2]);
        } else if (row[0] == "labels") {
            shown = row.back();
        } else {
            std::vector<double>& p = plotted[std::stoul(row[0])].emplace_back();
            for (std::size_t i = 1; i < row.size(); ++i)
                p.push_back(number(row[i]));
        }
    }
    for (const char* label : {"Time (s)", "Level (dB)", "Frequency (Hz)", "mode=Vintage tone=Dark",
                              "Dub Echo", "delay 0.375 s: dotted 8th at 120 BPM (session tempo)"})
        EXPECT_NE(shown.find(label), std::string::npos) << label;
    ASSERT_EQ(delays.size(), 2u);
    EXPECT_EQ(delays[1], static_cast<double>(0.375f));

    // The same click through render, as the plot says it renders it: the
    // plot shows what the measurement finds there, and the repeats come a
    // delay apart (wow and flutter move them by a fraction of a millisecond).
    writeRaw(path("click.f32"), {0.5f});
    const std::vector<std::vector<std::string>> settings = {
        {"--set", "fbak=5", "--set", "mode=Vintage", "--set", "tone=Dark"},
        {"--preset", "Dub Echo", "--set", "fbak=5"}};
    for (std::size_t s = 0; s < settings.size(); ++s) {
        std::vector<std::string> line = {"--preroll", "3", "--tail", "4"};
        line.insert(line.end(), settings[s].begin(), settings[s].end());
        ASSERT_EQ(render(line, path("click.f32"), path("response.f32")), 0);
        const std::vector<float> y = readRaw(path("response.f32"));
        const EchoTrain train = MeasureEchoTrain(y, 48000.0, delays[s], 1);
        ASSERT_GE(train.repeats.size(), 3u) << s;
        ASSERT_EQ(plotted[s].size(), train.repeats.size()) << s;
        for (std::size_t k = 0; k < train.repeats.size(); ++k) {
            const std::vector<double>& p = plotted[s][k];
            const Repeat& r = train.repeats[k];
            EXPECT_EQ(p, (std::vector<double>{static_cast<double>(r.number),
                                              static_cast<double>(r.frame), r.levelDb,
                                              static_cast<double>(r.frame) / 48000.0, p[4], p[5]}));
            EXPECT_EQ(r.number, k + 1);
            EXPECT_NEAR(p[3], static_cast<double>(k + 1) * delays[s], 0.005) << s << " " << k;
        }
    }

    // Drawn where the axes say: one straight map for time and one for level.
    std::vector<std::vector<double>> all = plotted[0];
    all.insert(all.end(), plotted[1].begin(), plotted[1].end());
    const std::vector<double>& a = all.front();
    const std::vector<double>& b = all.back();
    for (const std::vector<double>& p : all) {
        EXPECT_NEAR(p[4], a[4] + (b[4] - a[4]) * (p[3] - a[3]) / (b[3] - a[3]), 0.11);
        EXPECT_NEAR(p[5], a[5] + (b[5] - a[5]) * (p[2] - a[2]) / (b[2] - a[2]), 0.11);
    }
}

// By default each setting is plotted until its echoes have died away, on a
// time axis of its own where the spans differ much; the texts count right
// and name a tempo only where BPM could be set to it.
TEST_F(Scripts, ThePlotShowsEachPresetsWholeTrain)
{
    ASSERT_EQ(runCapturing({"plot", "--compare", "Retro Wash", "--compare", "Dark Long",
                            "--compare", "Slapback", "--compare", "fbak=1", path("plot.svg")}),
              0);
    std::istringstream said(errors);
    std::vector<std::string> lines;
    for (std::string line; std::getline(said, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << errors;
    const auto repeats = [](const std::string& line) {
        return std::stoul(line.substr(line.rfind("; ") + 2));
    };
    EXPECT_GE(repeats(lines[0]), 12u) << lines[0];
    EXPECT_GE(repeats(lines[1]), 4u) << lines[1];
    EXPECT_EQ(lines[2], "Slapback: delay 0.110 s; 2 repeats measured");
    EXPECT_EQ(lines[3], "fbak=1: delay 0.500 s (a quarter note at 120.0 BPM); 1 repeat measured");
    const std::string svg = readText(path("plot.svg"));
    for (const char* heading :
         {">Echo train of the click: Retro Wash<", ">Echo train of the click: Slapback, fbak=1<"})
        EXPECT_NE(svg.find(heading), std::string::npos) << heading;
}

// Inline in a page, Chromium lays the plot out with its real fonts: every
// text lies inside the picture, however long the settings. Drawn as an image
// into a canvas, the picture is not blank and shows the series' colours.
TEST_F(Scripts, HeadlessChromiumShowsThePlotWithEveryTextInside)
{
    if (!ToolInstalled("chromium", "chromium"))
        return;
    std::vector<std::string> line = {"plot", "--quiet", "--preroll", "3", "--tail", "2"};
    for (const char* setting : {"inpt=6", "oput=3", "blnd=7", "tone=Bright"})
        line.insert(line.end(), {"--set", setting});
    for (const char* setting :
         {"Dub Echo", "Bright Triplet", "mode=Vintage tone=Dark fbak=6 inpt=7 blnd=3 oput=4",
          "nval=Quarter dot3=Triplet tlok=on fbak=4.5",
          "time=0.3 fbak=5 inpt=4 oput=5 blnd=6 tone=Normal mode=Modern nval=- dot3=- tlok=off"})
        line.insert(line.end(), {"--compare", setting});
    line.push_back(path("plot.svg"));
    ASSERT_EQ(run(line), 0);
    const std::string svg = readText(path("plot.svg"));
    const std::string page = "<!DOCTYPE html><html><body>" + svg.substr(svg.find("<svg")) + R"(
<script>
const svg = document.querySelector("svg");
const outside = [...svg.querySelectorAll("text")].filter(t => {
  const b = t.getBBox();
  return !t.hasAttribute("transform") && (b.x < 0 || b.x + b.width > svg.width.baseVal.value ||
                                          b.y + b.height > svg.height.baseVal.value);
});
document.body.setAttribute("data-outside", outside.map(t => t.textContent).join("|"));
const image = new Image();
image.onload = () => {
  const canvas = Object.assign(document.createElement("canvas"),
                               {width: image.width, height: image.height});
  const context = canvas.getContext("2d");
  context.drawImage(image, 0, 0);
  const p = context.getImageData(0, 0, canvas.width, canvas.height).data;
  let unlike = 0, coloured = 0;
  for (let i = 0; i < p.length; i += 4) {
    unlike += p[i] != p[0] || p[i + 1] != p[1] || p[i + 2] != p[2];
    coloured += Math.max(p[i], p[i + 1], p[i + 2]) - Math.min(p[i], p[i + 1], p[i + 2]) > 60;
  }
  document.body.setAttribute("data-pixels", [p.length / 4, unlike, coloured].join(" "));
};
image.src = "data:image/svg+xml;base64," +
            btoa(unescape(encodeURIComponent(new XMLSerializer().serializeToString(svg))));
</script></body></html>)";
    writeText(path("page.html"), page);
    const Outcome dom = Shell("chromium --headless --disable-gpu --no-sandbox --user-data-dir='" +
                                  path("profile") + "' --virtual-time-budget=10000 --dump-dom " +
                                  "'file://" + path("page.html") + "' 2>/dev/null",
                              false);
    ASSERT_EQ(dom.status, 0);
    const std::string body = dom.output.substr(0, dom.output.find("<svg"));
    EXPECT_NE(body.find("data-outside=\"\""), std::string::npos) << body;
    double pixels = 0, unlike = 0, coloured = 0;
    const std::size_t at = body.find("data-pixels=\"");
    ASSERT_NE(at, std::string::npos) << "the plot was not drawn: " << body;
    std::istringstream(body.substr(at + 13)) >> pixels >> unlike >> coloured;
    EXPECT_GT(unlike, 0.03 * pixels) << "the picture is (nearly) blank";
    EXPECT_GT(coloured, 500.0) << "no curve or point in the series' colours";
}

// The output's name says what to write: .svg or .png in any case; PNG
// through rsvg-convert, refused plainly without it; any other name before
// any work (even the plug-in is not loaded).
TEST_F(Scripts, ThePlotWritesTheFormatItsNameAsksFor)
{
    ASSERT_EQ(run({"plot", "--quiet", "--tail", "1", path("plot.SVG")}), 0);
    EXPECT_EQ(readText(path("plot.SVG")).rfind("<?xml", 0), 0u);
    // Any other name before any work: even the plug-in is not loaded.
    EXPECT_EQ(runCapturing({"plot", "--plugin", "/nonexistent.so", path("plot.svg.gz")}), 2);
    EXPECT_TRUE(said("plot writes OUTPUT.svg or OUTPUT.png")) << errors;

    const char* old = std::getenv("PATH");
    const std::string saved = old == nullptr ? "" : old;
    setenv("PATH", path("empty").c_str(), 1);
    const int status = runCapturing({"plot", "--quiet", path("plot.png")});
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(said("rsvg-convert") && said("librsvg2-bin")) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_FALSE(std::filesystem::exists(path("plot.png")));

    if (!ToolInstalled("rsvg-convert", "librsvg2-bin"))
        return;
    ASSERT_EQ(run({"plot", "--quiet", "--tail", "1", path("plot.Png")}), 0);
    const std::string png = readText(path("plot.Png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(png.substr(16, 4), std::string("\0\0\x03\xe8", 4)); // 1000 pixels wide
    // Only the picture is left beside it: the SVG it was made from is gone.
    EXPECT_EQ(listing().size(), 2u);
}

TEST_F(Scripts, ThePlotRefusesWhatItCannotDraw)
{
    writeText(path("events.svg"), "1 fbak 3\n");
    for (const std::vector<std::string>& line : std::vector<std::vector<std::string>>{
             {"plot", "--compare", "Nonesuch", path("plot.svg")},
             {"plot", "--compare", "fbak=12", path("plot.svg")},
             {"plot", "--compare", "mode=Vintage wobl=3", path("plot.svg")},
             {"plot", "--tail", "-1", path("plot.svg")},
             {"plot"},
             {"plot", path("plot.svg"), path("other.svg")},
             {"plot", path("plot.txt")},
             {"plot", path("plot")}}) {
        EXPECT_EQ(run(line), 2) << line.back();
        EXPECT_FALSE(std::filesystem::exists(path("plot.svg")) ||
                     std::filesystem::exists(line.back()))
            << line.back();
    }
    EXPECT_EQ(run({"plot", "--automation", path("events.svg"), path("events.svg")}), 2);
    EXPECT_EQ(readBytes(path("events.svg")).size(), 9u);
}

} // namespace
