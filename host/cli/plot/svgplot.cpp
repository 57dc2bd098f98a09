#include "svgplot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "host/runtime/values/messagevalues.h"
#include "textfit.h"
#include "timepanels.h"

namespace {

constexpr double kWidth = 1000.0;
constexpr double kMargin = 8.0;  // kept clear at the right edge
constexpr double kLeft = 80.0;   // the panels' left edge
constexpr double kRight = 700.0; // and right edge; the legend goes beyond
constexpr double kEchoHeight = 310.0;
constexpr double kSpectrumHeight = 240.0;
constexpr double kFloorDb = -100.0; // the echo train's lowest level shown
constexpr double kSpectrumRangeDb = 70.0;
constexpr double kMostDelayLines = 40.0;
constexpr const char* kColours[] = {"#1f5fa8", "#c8321e", "#2a8a3a", "#8a44b0", "#d07a10",
                                    "#6b4a2b", "#d0459a", "#5c5c5c", "#8c8c14", "#1898a8"};

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string px(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

const char* colour(std::size_t series)
{
    return kColours[series % std::size(kColours)];
}

// A plotting area: data to picture coordinates, linear or logarithmic in x.
struct Panel {
    double top;
    double bottom;
    double xLow;
    double xHigh;
    double yLow;
    double yHigh;
    bool logX = false;

    double x(double value) const
    {
        const double f = logX ? std::log(value / xLow) / std::log(xHigh / xLow)
                              : (value - xLow) / (xHigh - xLow);
        return kLeft + f * (kRight - kLeft);
    }
    double y(double value) const
    {
        const double clamped = std::clamp(value, yLow, yHigh);
        return bottom - (clamped - yLow) / (yHigh - yLow) * (bottom - top);
    }
};

void text(std::string& svg, double x, double y, const std::string& content, const char* anchor,
          int size, const char* extra = "")
{
    svg += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" text-anchor=\"" + anchor +
           "\" font-size=\"" + std::to_string(size) + "\"" + extra + ">" + escaped(content) +
           "</text>\n";
}

// Frame, grid, tick labels and axis titles.
void axes(std::string& svg, const Panel& panel, const std::vector<double>& xTicks,
          const std::function<std::string(double)>& xLabel, double yStep, const std::string& xTitle)
{
    svg += "<g stroke=\"#d8d8d8\" stroke-width=\"1\">\n";
    for (const double tick : xTicks)
        svg += "<line x1=\"" + px(panel.x(tick)) + "\" y1=\"" + px(panel.top) + "\" x2=\"" +
               px(panel.x(tick)) + "\" y2=\"" + px(panel.bottom) + "\"/>\n";
    for (double level = std::ceil(panel.yLow / yStep) * yStep; level <= panel.yHigh; level += yStep)
        svg += "<line x1=\"" + px(kLeft) + "\" y1=\"" + px(panel.y(level)) + "\" x2=\"" +
               px(kRight) + "\" y2=\"" + px(panel.y(level)) + "\"/>\n";
    svg += "</g>\n";
    for (const double tick : xTicks)
        text(svg, panel.x(tick), panel.bottom + 18, xLabel(tick), "middle", 12);
    for (double level = std::ceil(panel.yLow / yStep) * yStep; level <= panel.yHigh; level += yStep)
        text(svg, kLeft - 8, panel.y(level) + 4, FormatNumber(level), "end", 12);
    svg += "<rect x=\"" + px(kLeft) + "\" y=\"" + px(panel.top) + "\" width=\"" +
           px(kRight - kLeft) + "\" height=\"" + px(panel.bottom - panel.top) +
           "\" fill=\"none\" stroke=\"#444\"/>\n";
    text(svg, (kLeft + kRight) / 2, panel.bottom + 40, xTitle, "middle", 13);
    const double middle = (panel.top + panel.bottom) / 2;
    text(svg, 0, 0, "Level (dB)", "middle", 13,
         (" transform=\"translate(" + px(kLeft - 48) + "," + px(middle) + ") rotate(-90)\"")
             .c_str());
}

// A step that puts five to ten ticks over span: 1, 2 or 5 times a power of ten.
double niceStep(double span)
{
    const double raw = span / 8.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power)
            return factor * power;
    return 10.0 * power;
}

// The settings of one panel, by their place in series.
void echoPanel(std::string& svg, const std::vector<PlotSeries>& series,
               const std::vector<std::size_t>& shown, const Panel& panel, double sampleRate)
{
    const double step = niceStep(panel.xHigh);
    std::vector<double> ticks;
    for (double t = 0.0; t <= panel.xHigh + 1e-9; t += step)
        ticks.push_back(t);
    axes(
        svg, panel, ticks, [](double t) { return FormatNumber(std::round(t * 1000) / 1000); }, 10.0,
        "Time (s)");

    for (const std::size_t s : shown) {
        const EchoTrain& train = series[s].train;
        const char* c = colour(s);
        svg += "<g class=\"series\" data-series=\"" + std::to_string(s) +
               "\" data-delay-seconds=\"" + FormatNumber(train.delaySeconds) + "\">\n";
        // The delay and its multiples, where the repeats are due; only the
        // delay itself where the multiples would crowd the panel.
        svg += "<g stroke=\"" + std::string(c) +
               "\" stroke-dasharray=\"4 4\" stroke-opacity=\"0.45\">\n";
        const double last =
            panel.xHigh > kMostDelayLines * train.delaySeconds ? train.delaySeconds : panel.xHigh;
        for (double t = train.delaySeconds; train.delaySeconds > 0 && t <= last;
             t += train.delaySeconds)
            svg += "<line x1=\"" + px(panel.x(t)) + "\" y1=\"" + px(panel.top) + "\" x2=\"" +
                   px(panel.x(t)) + "\" y2=\"" + px(panel.bottom) + "\"/>\n";
        svg += "</g>\n";
        std::string points;
        for (const EnvelopePoint& point : train.envelope)
            points += px(panel.x(point.seconds)) + "," + px(panel.y(point.db)) + " ";
        svg += "<polyline fill=\"none\" stroke=\"" + std::string(c) +
               "\" stroke-opacity=\"0.35\" stroke-width=\"1\" points=\"" + points + "\"/>\n";
        svg += "<circle cx=\"" + px(panel.x(0)) + "\" cy=\"" + px(panel.y(train.dryDb)) +
               "\" r=\"4\" fill=\"white\" stroke=\"" + c + "\"><title>the click as it comes out: " +
               FormatNumber(std::round(train.dryDb * 10) / 10) + " dB</title></circle>\n";
        for (const Repeat& repeat : train.repeats) {
            if (repeat.levelDb < panel.yLow)
                continue;
            const double seconds = static_cast<double>(repeat.frame) / sampleRate;
            svg += "<circle class=\"repeat\" data-series=\"" + std::to_string(s) +
                   "\" data-repeat=\"" + std::to_string(repeat.number) + "\" data-frame=\"" +
                   std::to_string(repeat.frame) + "\" data-seconds=\"" + FormatNumber(seconds) +
                   "\" data-level-db=\"" + FormatNumber(repeat.levelDb) + "\" cx=\"" +
                   px(panel.x(seconds)) + "\" cy=\"" + px(panel.y(repeat.levelDb)) +
                   "\" r=\"3\" fill=\"" + c + "\"><title>repeat " + std::to_string(repeat.number) +
                   ": " + FormatNumber(std::round(seconds * 1000) / 1000) + " s, " +
                   FormatNumber(std::round(repeat.levelDb * 10) / 10) + " dB</title></circle>\n";
        }
        svg += "</g>\n";
    }
}

void spectrumPanel(std::string& svg, const std::vector<PlotSeries>& series, const Panel& panel,
                   double clickDbfs)
{
    std::vector<double> ticks;
    for (const double hz :
         {20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0})
        if (hz >= panel.xLow && hz <= panel.xHigh)
            ticks.push_back(hz);
    axes(
        svg, panel, ticks,
        [](double hz) { return hz >= 1000 ? FormatNumber(hz / 1000) + "k" : FormatNumber(hz); },
        10.0, "Frequency (Hz)");
    const double dry = panel.y(clickDbfs);
    svg += "<line x1=\"" + px(kLeft) + "\" y1=\"" + px(dry) + "\" x2=\"" + px(kRight) + "\" y2=\"" +
           px(dry) + "\" stroke=\"#555\" stroke-width=\"1.5\" stroke-dasharray=\"8 4\"/>\n";
    text(svg, kRight - 6, dry - 6, "dry click", "end", 12, " fill=\"#555\"");
    for (std::size_t s = 0; s < series.size(); ++s) {
        std::string points;
        for (const SpectrumPoint& point : series[s].train.firstRepeatSpectrum)
            points += px(panel.x(point.hz)) + "," + px(panel.y(point.db)) + " ";
        if (!points.empty())
            svg += "<polyline class=\"spectrum\" data-series=\"" + std::to_string(s) +
                   "\" fill=\"none\" stroke=\"" + colour(s) + "\" stroke-width=\"2\" points=\"" +
                   points + "\"/>\n";
    }
}

// Wrapped lines from baseline y, lineHeight apart; the baseline of the last.
double lines(std::string& svg, double x, double y, const std::string& content, int size, bool bold,
             double width, double lineHeight, const char* extra = "")
{
    const std::string style = std::string(bold ? " font-weight=\"bold\"" : "") + extra;
    const std::vector<std::string> wrapped = WrapText(content, size, bold, width);
    for (std::size_t i = 0; i < wrapped.size(); ++i)
        text(svg, x, y + static_cast<double>(i) * lineHeight, wrapped[i], "start", size,
             style.c_str());
    return y + static_cast<double>(wrapped.size() - 1) * lineHeight;
}

// Beside the panels from top, each setting's colour, label and delay
// wrapped to the picture's edge; the bottom of its last line.
double legend(std::string& svg, const std::vector<PlotSeries>& series, double top)
{
    const double x = kRight + 24;
    const double width = kWidth - kMargin - (x + 22);
    double y = top + 4;
    for (std::size_t s = 0; s < series.size(); ++s) {
        svg += "<rect x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"14\" height=\"14\" fill=\"" +
               colour(s) + "\"/>\n";
        const double label = lines(svg, x + 22, y + 12, series[s].label, 14, true, width, 18);
        y = lines(svg, x + 22, label + 18, series[s].delayText, 12, false, width, 15) + 20;
    }
    y -= 10;
    for (const char* key : {"filled: each repeat's peak", "hollow: the click as it comes out",
                            "dashed: the delay and its multiples"})
        y = lines(svg, x, y + 16, key, 11, false, width + 22, 16, " fill=\"#555\"");
    return y + 4;
}

// What an echo panel's heading says: with several panels, whose they are.
std::string echoHeading(const std::vector<PlotSeries>& series,
                        const std::vector<std::size_t>& shown, std::size_t panels)
{
    if (panels == 1)
        return "Echo train of the click: the level of each repeat";
    std::string heading = "Echo train of the click: ";
    for (const std::size_t s : shown)
        heading += (s == shown.front() ? "" : ", ") + series[s].label;
    return heading;
}

} // namespace

std::string EchoPlotSvg(const std::vector<PlotSeries>& series, const PlotPage& page)
{
    std::vector<double> spans;
    double loudest = page.clickDbfs;
    double echoTop = 0.0;
    for (const PlotSeries& one : series) {
        spans.push_back(one.train.envelope.empty() ? 0.0 : one.train.envelope.back().seconds);
        for (const SpectrumPoint& point : one.train.firstRepeatSpectrum)
            loudest = std::max(loudest, point.db);
        for (const EnvelopePoint& point : one.train.envelope)
            echoTop = std::max(echoTop, point.db);
    }

    // From the top down: the title, one echo panel per time axis, the
    // spectrum; the legend beside them.
    std::string body;
    const double wide = kWidth - kMargin - kLeft;
    double y = lines(body, kLeft, 30, page.title, 18, true, wide, 22);
    y = lines(body, kLeft, y + 22, page.subtitle, 12, false, wide, 16, " fill=\"#444\"");
    const auto heading = [&](const std::string& content) {
        return lines(body, kLeft, y + 28, content, 15, true, kRight - kLeft, 19) + 10;
    };
    const std::vector<std::vector<std::size_t>> panels = TimePanels(spans);
    double legendTop = 0.0;
    for (const std::vector<std::size_t>& shown : panels) {
        const double top = heading(echoHeading(series, shown, panels.size()));
        if (&shown == &panels.front())
            legendTop = top;
        double seconds = 0.1;
        for (const std::size_t s : shown)
            seconds = std::max(seconds, spans[s]);
        const Panel echoes{top,     top + kEchoHeight, 0.0,
                           seconds, kFloorDb,          std::ceil(echoTop / 10) * 10};
        echoPanel(body, series, shown, echoes, page.sampleRate);
        y = echoes.bottom + 42;
    }
    const double spectrumTop = std::ceil(loudest / 10) * 10;
    const double top = heading("Spectrum of the first repeat against the dry click");
    const Panel spectrum{top,
                         top + kSpectrumHeight,
                         20.0,
                         std::min(20000.0, page.sampleRate / 2),
                         spectrumTop - kSpectrumRangeDb,
                         spectrumTop,
                         true};
    spectrumPanel(body, series, spectrum, page.clickDbfs);
    const double height = std::max(spectrum.bottom + 60, legend(body, series, legendTop) + 16);

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(kWidth) + "\" height=\"" +
           px(height) + "\" viewBox=\"0 0 " + px(kWidth) + " " + px(height) +
           "\" font-family=\"sans-serif\" data-sample-rate=\"" + FormatNumber(page.sampleRate) +
           "\" data-click-dbfs=\"" + FormatNumber(page.clickDbfs) + "\">\n";
    svg += "<title>" + escaped(page.title) + "</title>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    return svg + body + "</svg>\n";
}
