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

using Lines = std::vector<std::string>;

TEST(TextFit, WidthsFollowTheCharactersNotTheirBytes)
{
    EXPECT_GT(TextWidth("mmmm", 12, false), TextWidth("iiii", 12, false));
    EXPECT_GT(TextWidth("Retro Wash", 14, true), TextWidth("Retro Wash", 14, false));
    EXPECT_DOUBLE_EQ(TextWidth("ab", 24, false), 2 * TextWidth("ab", 12, false));
    EXPECT_DOUBLE_EQ(TextWidth("\xc3\xa9\xe2\x82\xac", 10, false), 20.0); // a full em each
}

TEST(TextFit, WrapsAtSpacesAndBreaksOnlyWordsTooWideForALine)
{
    const std::string text = "delay 0.375 s: dotted 8th at 120 BPM (session tempo)";
    EXPECT_EQ(WrapText(text, 12, false, TextWidth("delay 0.375 s: dotted 8th", 12, false)),
              (Lines{"delay 0.375 s: dotted 8th", "at 120 BPM (session", "tempo)"}));
    EXPECT_EQ(WrapText(text, 12, false, 1000), Lines{text});
    EXPECT_EQ(WrapText("  a   b  ", 12, false, 1000), Lines{"a b"});
    EXPECT_EQ(WrapText("", 12, false, 100), Lines{""});
    EXPECT_EQ(WrapText("WW", 12, false, 1), (Lines{"W", "W"})); // one wide character a line

    const std::string word = "mode=Vintage\xc3\xa9tone=Darkfbak=6inpt=7";
    const Lines lines = WrapText("x " + word, 12, true, 60.0);
    ASSERT_GT(lines.size(), 3u);
    EXPECT_EQ(lines[0], "x");
    std::string joined;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_LE(TextWidth(lines[i], 12, true), 60.0) << lines[i];
        joined += lines[i];
    }
    EXPECT_EQ(joined, word); // nothing lost, the two-byte character kept whole
}

TEST(TimePanels, SettingsShareAnAxisOnlyWithComparableSpans)
{
    using Panels = std::vector<std::vector<std::size_t>>;
    EXPECT_EQ(TimePanels(std::vector<double>{4, 4, 4}), (Panels{{0, 1, 2}}));
    EXPECT_EQ(TimePanels(std::vector<double>{3.9, 7.5, 6.1}), (Panels{{0, 1, 2}}));
    // Feedback 3, 6 and 9 in Modern mode.
    EXPECT_EQ(TimePanels(std::vector<double>{1.9, 4.5, 55.0}), (Panels{{0}, {1}, {2}}));
    EXPECT_EQ(TimePanels(std::vector<double>{55.0, 2.5, 40.0, 5.0}), (Panels{{0, 2}, {1, 3}}));
    EXPECT_EQ(TimePanels(std::vector<double>{}), Panels{});
}

// A train of repeats a delay apart, its envelope over seconds.
EchoTrain Train(double delay, std::size_t repeats, double seconds)
{
    EchoTrain train{delay, -6.0, {}, {}, {{20.0, -12.0}, {20000.0, -30.0}}};
    for (std::size_t k = 1; k <= repeats; ++k)
        train.repeats.push_back({k, static_cast<std::size_t>(k * delay * 48000), -10.0 * k});
    for (double t = 0; t <= seconds; t += 0.01)
        train.envelope.push_back({t, -80.0});
    return train;
}

// The picture's height, once every text (but the turned axis titles) is
// found inside it by the width estimate the layout uses.
double CheckedHeight(const std::string& svg)
{
    std::smatch m;
    EXPECT_TRUE(std::regex_search(svg, m, std::regex(R"re(width="1000.0" height="([\d.]+)")re")));
    const double height = std::stod(m[1]);
    const std::regex text(
        R"re(<text x="([-\d.]+)" y="([-\d.]+)" text-anchor="(\w+)" font-size="(\d+)"([^>]*)>([^<]*)<)re");
    std::size_t texts = 0;
    for (auto t = std::sregex_iterator(svg.begin(), svg.end(), text); t != std::sregex_iterator();
         ++t, ++texts) {
        const double width = TextWidth((*t)[6].str(), std::stod((*t)[4]),
                                       (*t)[5].str().find("bold") != std::string::npos);
        const double anchor = (*t)[3] == "start" ? 0.0 : (*t)[3] == "middle" ? 0.5 : 1.0;
        const double left = std::stod((*t)[1]) - anchor * width;
        if ((*t)[5].str().find("rotate") == std::string::npos) {
            EXPECT_GE(left, 0.0) << (*t)[6];
            EXPECT_LE(left + width, 1000.0) << (*t)[6];
            EXPECT_LE(std::stod((*t)[2]), height) << (*t)[6];
        }
    }
    EXPECT_GT(texts, 30u); // the axes' labels at least
    return height;
}

TEST(EchoPlot, EveryTextStaysInsideThePictureAtAnyLength)
{
    std::vector<PlotSeries> series(
        8, {"mode=Vintage tone=Dark fbak=6 inpt=7 blnd=3 oput=8 tlok=off nval=Quarter",
            "delay 0.333 s: triplet quarter at 120 BPM (session tempo)", Train(0.5, 4, 4.0)});
    series[7].label = std::string(200, 'W');
    const PlotPage page{"What the tape delay does to a click",
                        "a -6 dBFS click after 3 s of pre-roll; every setting with " +
                            std::string(30, 'x') + " fbak=9 mode=Modern tone=Bright inpt=9 oput=9",
                        48000.0, -6.0};
    EXPECT_GT(CheckedHeight(EchoPlotSvg(series, page)), 780.0); // grown to hold the legend

    series.resize(2, {"Vintage", "delay 0.500 s", Train(0.5, 6, 4.0)});
    series[0].label = series[1].label = "Retro";
    const std::string svg = EchoPlotSvg(series, PlotPage{"title", "subtitle", 48000.0, -6.0});
    EXPECT_EQ(CheckedHeight(svg), 780.0);
    EXPECT_NE(svg.find(">Echo train of the click: the level of each repeat<"), std::string::npos);
}

TEST(EchoPlot, GivesASettingThatRingsOnATimeAxisOfItsOwn)
{
    const std::vector<PlotSeries> series = {{"fbak=3", "d", Train(0.5, 3, 1.9)},
                                            {"fbak=9", "d", Train(0.5, 84, 55.0)}};
    const std::string svg = EchoPlotSvg(series, PlotPage{"t", "s", 48000.0, -6.0});
    CheckedHeight(svg);
    EXPECT_NE(svg.find(">Echo train of the click: fbak=3<"), std::string::npos);
    EXPECT_NE(svg.find(">Echo train of the click: fbak=9<"), std::string::npos);
    // Each time axis ends near its own span.
    EXPECT_NE(svg.find(">1.5<"), std::string::npos);
    EXPECT_NE(svg.find(">50<"), std::string::npos);
}

} // namespace
