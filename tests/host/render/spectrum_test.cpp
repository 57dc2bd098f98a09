// The plot's band spectra, of signals whose spectrum is known: an FFT that
// misplaces or mis-weights a bin shows in the flat click or the sine's band.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "host/render/spectrum.h"

namespace {

TEST(Spectrum, OneSampleIsFlatAtItsLevel)
{
    const std::vector<float> click = {0.0f, 0.25f, 0.0f};
    const std::vector<SpectrumPoint> points = BandSpectrum(click, 48000.0, 20.0, 20000.0);
    // Twelve bands an octave from 20 Hz, the last at or below 20 kHz.
    ASSERT_EQ(points.size(), 120u);
    EXPECT_EQ(points[12].hz, 40.0);
    for (const SpectrumPoint& p : points)
        EXPECT_NEAR(p.db, -12.0412, 1e-3) << p.hz;
}

TEST(Spectrum, ASinePeaksInItsBandAndScalesWithItsLevel)
{
    // 1 kHz, 100 whole cycles: the band at 1 kHz (125 Hz times 2^3) is the
    // loudest, bands two octaves off lie far below, and twice the level
    // reads 6 dB more.
    const auto sine = [](float level) {
        std::vector<float> x(4800);
        for (std::size_t i = 0; i < x.size(); ++i)
            x[i] = level * static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 *
                                                       static_cast<double>(i) / 48000.0));
        return BandSpectrum(x, 48000.0, 125.0, 8000.0);
    };
    const std::vector<SpectrumPoint> quiet = sine(0.25f);
    const std::vector<SpectrumPoint> loud = sine(0.5f);
    ASSERT_EQ(quiet.size(), 73u);
    const auto peak = std::max_element(quiet.begin(), quiet.end(),
                                       [](const auto& a, const auto& b) { return a.db < b.db; });
    EXPECT_EQ(peak - quiet.begin(), 36);
    EXPECT_LT(quiet[12].db, peak->db - 30.0);
    EXPECT_LT(quiet[60].db, peak->db - 30.0);
    for (std::size_t i = 0; i < quiet.size(); ++i)
        EXPECT_NEAR(loud[i].db - quiet[i].db, 6.0206, 1e-3) << quiet[i].hz;
}

} // namespace
