// The plot of what settings do to a click, as a self-contained SVG picture
// (no script, no external font or style sheet): the echo train on top
// (each repeat's level over time, the delays marked; settings whose spans
// differ much on time axes of their own, see TimePanels), the spectrum of
// the first repeat against the dry click below, one colour per setting. The
// legend beside them wraps its texts to the picture's width, and the
// picture grows as tall as its panels and legend need.
#pragma once

#include <string>
#include <vector>

#include "host/render/echotrain.h"

struct PlotSeries {
    std::string label;     // in the legend: "Vintage", "Dub Echo"
    std::string delayText; // "delay 0.375 s: dotted 8th at 120 BPM"
    EchoTrain train;
};

struct PlotPage {
    std::string title;
    std::string subtitle;
    double sampleRate = 48000.0;
    double clickDbfs = 0.0; // the dry click's level, the spectrum's reference
};

// Every repeat is a circle carrying its measurement for scripts and tests:
// data-series (position in series), data-repeat, data-frame (from the
// click), data-seconds and data-level-db (as measured, exactly), with a
// <title> a browser shows on hover. Levels below the axis are left out.
std::string EchoPlotSvg(const std::vector<PlotSeries>& series, const PlotPage& page);
