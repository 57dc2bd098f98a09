// The plot's layout: text widths and wrapping, the time panels, and a
// picture whose every text stays inside it.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "host/cli/plot/svgplot.h"
#include "host/cli/plot/textfit.h"
#include "host/cli/plot/timepanels.h"

namespace {

TEST(TextFit, WidthsFollowTheCharactersNotTheirBytes)
{
    EXPECT_GT(TextWidth("mmmm", 12, false), TextWidth("iiii", 12, false));
    EXPECT_GT(TextWidth("Retro Wash", 14, true), TextWidth("Retro Wash", 14, false));
    EXPECT_DOUBLE_EQ(TextWidth("ab", 24, false), 2 * TextWidth("ab", 12, false));
    EXPECT_DOUBLE_EQ(TextWidth("", 12, false), 0.0);
    // Beyond ASCII a character is a full em, however many bytes it takes.
    EXPECT_DOUBLE_EQ(TextWidth("\xc3\xa9\xe2\x82\xac", 10, false), 20.0);
}

TEST(TextFit, WrapsAtSpacesWithinTheWidth)
{
    const std::string text = "delay 0.375 s: dotted 8th at 120 BPM (session tempo)";
    const double width = TextWidth("delay 0.375 s: dotted 8th", 12, false);
    EXPECT_EQ(
        WrapText(text, 12, false, width),
        (std::vector<std::string>{"delay 0.375 s: dotted 8th", "at 120 BPM (session", "tempo)"}));
    EXPECT_EQ(WrapText(text, 12, false, 1000), std::vector<std::string>{text});
    EXPECT_EQ(WrapText("  a   b  ", 12, false, 1000), std::vector<std::string>{"a b"});
    EXPECT_EQ(WrapText("", 12, false, 100), std::vector<std::string>{""});
}

TEST(TextFit, BreaksAWordTooWideForALineBetweenCharacters)
{
    const std::string word = "mode=Vintage\xc3\xa9tone=Darkfbak=6inpt=7";
    const double width = 60.0;
    const std::vector<std::string> lines = WrapText("x " + word, 12, true, width);
    ASSERT_GT(lines.size(), 3u);
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(TextWidth(lines[i], 12, true), width) << lines[i];
        if (i > 0)
            joined += lines[i];
    }
    EXPECT_EQ(lines[0], "x");
    EXPECT_EQ(joined, word); // nothing lost, the two-byte character kept whole
    // A character wider than the line still goes, one to a line.
    EXPECT_EQ(WrapText("WW", 12, false, 1), (std::vector<std::string>{"W", "W"}));
}

TEST(TimePanels, SettingsShareAnAxisOnlyWithComparableSpans)
{
    using Panels = std::vector<std::vector<std::size_t>>;
    EXPECT_EQ(TimePanels(std::vector<double>{4, 4, 4}), (Panels{{0, 1, 2}}));
    EXPECT_EQ(TimePanels(std::vector<double>{3.9, 7.5, 6.1}), (Panels{{0, 1, 2}}));
    // Feedback 3, 6 and 9: the long one alone, the others as far as they
    // are within a factor of two of each other.
    EXPECT_EQ(TimePanels(std::vector<double>{1.9, 4.5, 55.0}), (Panels{{0}, {1}, {2}}));
    EXPECT_EQ(TimePanels(std::vector<double>{55.0, 2.5, 40.0, 5.0}), (Panels{{0, 2}, {1, 3}}));
    EXPECT_EQ(TimePanels(std::vector<double>{}), Panels{});
}

// A train of n repeats a delay apart over seconds.
EchoTrain Train(double delay, std::size_t repeats, double seconds)
{
    EchoTrain train;
    train.delaySeconds = delay;
    train.dryDb = -6.0;
    for (std::size_t k = 1; k <= repeats; ++k)
        train.repeats.push_back({k, static_cast<std::size_t>(k * delay * 48000), -10.0 * k});
    for (double t = 0; t <= seconds; t += 0.01)
        train.envelope.push_back({t, -80.0});
    train.firstRepeatSpectrum = {{20.0, -12.0}, {20000.0, -30.0}};
    return train;
}

struct Drawn {
    double width = 0, height = 0;
    std::size_t texts = 0;
};

// Checks that every text of svg lies inside the picture, by the same width
// estimate the layout uses, and reads what the checks below need.
Drawn Inspect(const std::string& svg)
{
    Drawn drawn;
    std::smatch m;
    EXPECT_TRUE(std::regex_search(
        svg, m, std::regex(R"re(<svg [^>]*width="([\d.]+)" height="([\d.]+)")re")));
    drawn.width = std::stod(m[1]);
    drawn.height = std::stod(m[2]);
    const std::regex text(
        R"re(<text x="([-\d.]+)" y="([-\d.]+)" text-anchor="(\w+)" font-size="(\d+)"([^>]*)>([^<]*)</text>)re");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator();
         ++it) {
        const std::smatch& t = *it;
        const double x = std::stod(t[1]);
        const double y = std::stod(t[2]);
        const double size = std::stod(t[4]);
        const bool bold = t[5].str().find("bold") != std::string::npos;
        const double width = TextWidth(t[6].str(), size, bold);
        const double left = t[3] == "start" ? x : t[3] == "middle" ? x - width / 2 : x - width;
        if (t[5].str().find("rotate") == std::string::npos) {
            EXPECT_GE(left, 0.0) << t[6];
            EXPECT_LE(left + width, drawn.width) << t[6];
            EXPECT_LE(y, drawn.height) << t[6];
        }
        ++drawn.texts;
    }
    return drawn;
}

TEST(EchoPlot, EveryTextStaysInsideThePictureAtAnyLength)
{
    std::vector<PlotSeries> series;
    for (int s = 0; s < 8; ++s)
        series.push_back(
            {"mode=Vintage tone=Dark fbak=6 inpt=7 blnd=3 oput=8 tlok=off nval=Quarter",
             "delay 0.333 s: triplet quarter at 120 BPM (session tempo)", Train(0.5, 4, 4.0)});
    series[7].label = std::string(200, 'W');
    PlotPage page{"What the tape delay does to a click",
                  "a -6 dBFS click at 48000 Hz after 3 s of pre-roll; every setting with " +
                      std::string(30, 'x') + " fbak=9 mode=Modern tone=Bright inpt=9 oput=9",
                  48000.0, -6.0};
    const Drawn drawn = Inspect(EchoPlotSvg(series, page));
    EXPECT_EQ(drawn.width, 1000.0);
    EXPECT_GT(drawn.height, 780.0); // grown to hold the legend
    EXPECT_GT(drawn.texts, 60u);
}

TEST(EchoPlot, KeepsItsSizeWhenEverythingFits)
{
    const std::vector<PlotSeries> series = {{"Vintage", "delay 0.500 s", Train(0.5, 6, 4.0)},
                                            {"Modern", "delay 0.500 s", Train(0.5, 8, 4.0)}};
    const std::string svg = EchoPlotSvg(series, PlotPage{"title", "subtitle", 48000.0, -6.0});
    EXPECT_EQ(Inspect(svg).height, 780.0);
    EXPECT_NE(svg.find(">Echo train of the click: the level of each repeat</text>"),
              std::string::npos);
}

TEST(EchoPlot, GivesASettingThatRingsOnATimeAxisOfItsOwn)
{
    const std::vector<PlotSeries> series = {{"fbak=3", "d", Train(0.5, 3, 1.9)},
                                            {"fbak=9", "d", Train(0.5, 84, 55.0)}};
    const std::string svg = EchoPlotSvg(series, PlotPage{"t", "s", 48000.0, -6.0});
    Inspect(svg);
    EXPECT_NE(svg.find(">Echo train of the click: fbak=3</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Echo train of the click: fbak=9</text>"), std::string::npos);
    // Each panel's time axis ends near its own span.
    EXPECT_NE(svg.find(">1.5</text>"), std::string::npos);
    EXPECT_NE(svg.find(">50</text>"), std::string::npos);
}

} // namespace
