// The playback head stays on the tape. The controller clamps the delay, so
// the glided read position lies between its places for 2 s and for 5 ms;
// wow and flutter move the head around it. At every rate bracket's edges
// and in every mode, the head's lowest place over the observed span must
// stay at or after the write index and its highest before the tape's end,
// with at least a sample to spare. The margins are printed.
//
// TAPEDELAY_HEAD_SECONDS sets the observed span (default 1 s, over two
// periods of the wow).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "tests/support/vx9testpack.h"

namespace {

constexpr float kRates[] = {11025.0f,  22050.0f,  44100.0f, 48000.0f,  51000.0f,
                            51001.0f,  88200.0f,  96000.0f, 102000.0f, 102001.0f,
                            176400.0f, 192000.0f, 204000.0f};
constexpr const char* kModes[] = {"Vintage", "Retro", "Modern"};

double ObservedSeconds()
{
    const char* text = std::getenv("TAPEDELAY_HEAD_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 1.0;
}

// Wow and flutter's displacement of the head, in samples, at their extremes.
struct Excursion {
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
};

// Runs the machine one sample per block and reads its wow and flutter
// after each: with a mode's depths the head sits (flutter * flutterGain +
// wow * wowGain) samples from the glided position. Both move the same
// way in every mode; only the depths differ.
std::array<Excursion, 3> Observe(VX9TestMachine& m, const std::array<VX9Coeffs, 3>& modes,
                                 double seconds, float rate)
{
    std::array<Excursion, 3> e;
    float sample = 0.0f;
    const auto samples = static_cast<long>(seconds * rate);
    for (long i = 0; i < samples; ++i) {
        m.block(&sample, &sample, 1);
        const double fl = m.algorithm->headMotion.flutterStage2.y1;
        for (std::size_t mode = 0; mode < 3; ++mode) {
            const double place =
                fl * modes[mode].flutterGain + m.algorithm->headMotion.wowSin * modes[mode].wowGain;
            e[mode].lowest = std::min(e[mode].lowest, place);
            e[mode].highest = std::max(e[mode].highest, place);
        }
    }
    return e;
}

// The published coefficients for a mode and delay at a rate.
VX9Coeffs Voiced(float rate, std::uint32_t mode, double delaySeconds)
{
    VX9TestPack t(1);
    VoiceFromController(t, rate, mode, 0, delaySeconds, 9.0);
    return t.coeffs;
}

TEST(HeadRange, StaysOnTheTapeAtEveryRateAndMode)
{
    const double seconds = ObservedSeconds();
    std::printf("%9s %-8s %10s %10s %12s %12s\n", "rate", "mode", "below", "above", "2 s margin",
                "5 ms margin");
    for (const float rate : kRates) {
        std::array<VX9Coeffs, 3> longest{};
        std::array<VX9Coeffs, 3> shortest{};
        for (std::uint32_t mode = 0; mode < 3; ++mode) {
            longest[mode] = Voiced(rate, mode, 2.0);
            shortest[mode] = Voiced(rate, mode, 0.005);
        }

        VX9TestMachine m(rate, 1);
        ASSERT_EQ(m.setupResult.code, 0);
        VoiceFromController(m.t, rate, 0, 0, 0.5, 9.0);
        ASSERT_EQ(m.reset().code, 0);
        const std::array<Excursion, 3> e = Observe(m, shortest, seconds, rate);

        for (std::size_t mode = 0; mode < 3; ++mode) {
            const double low = longest[mode].phase / 512.0 + e[mode].lowest;
            const double high =
                m.algorithm->tapeLength - (shortest[mode].phase / 512.0 + e[mode].highest);
            std::printf("%9.0f %-8s %10.3f %10.3f %12.3f %12.3f\n", rate, kModes[mode],
                        -e[mode].lowest, e[mode].highest, low, high);
            EXPECT_GE(low, 1.0) << rate << " Hz, " << kModes[mode];
            EXPECT_GE(high, 1.0) << rate << " Hz, " << kModes[mode];
        }
    }
}

} // namespace
