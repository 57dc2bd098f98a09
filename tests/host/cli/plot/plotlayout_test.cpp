// The plot's layout: text widths and wrapping, and the time panels (that
// every text stays inside the picture is Chromium's check, scripting_test.cpp).
#include <gtest/gtest.h>

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

TEST(EchoPlot, GivesASettingThatRingsOnATimeAxisOfItsOwn)
{
    const std::vector<PlotSeries> series = {{"fbak=3", "d", Train(0.5, 3, 1.9)},
                                            {"fbak=9", "d", Train(0.5, 84, 55.0)}};
    const std::string svg = EchoPlotSvg(series, PlotPage{"t", "s", 48000.0, -6.0});
    EXPECT_NE(svg.find(">Echo train of the click: fbak=3<"), std::string::npos);
    EXPECT_NE(svg.find(">Echo train of the click: fbak=9<"), std::string::npos);
    // Each time axis ends near its own span.
    EXPECT_NE(svg.find(">1.5<"), std::string::npos);
    EXPECT_NE(svg.find(">50<"), std::string::npos);
}

} // namespace
