// The voicing as heard: the real controller's coefficients drive the kernel,
// and the echoes of each mode and tone are measured in the rendered audio.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

#include "tests/support/vx9testpack.h"

namespace {

constexpr float kRate = 48000.0f;

struct Voicing {
    // `still`: no wow or flutter, so the head sits exactly at the phase.
    Voicing(std::uint32_t mode, std::uint32_t tone, double delay, double feedback,
            bool still = true)
        : m(kRate, 512)
    {
        VoiceFromController(m.t, kRate, mode, tone, delay, feedback);
        if (still)
            m.t.coeffs.wowGain = m.t.coeffs.flutterGain = 0.0;
        EXPECT_EQ(m.setupResult.code, 0);
    }

    std::vector<float> render(const std::vector<float>& input)
    {
        EXPECT_EQ(m.reset().code, 0);
        return m.run(input);
    }

    // What impulses at `at` add to the output of silence. The machine is
    // deterministic, so hiss and start-up transients cancel.
    std::vector<double> echo(std::size_t length, const std::vector<std::size_t>& at = {0})
    {
        std::vector<float> input(length, 0.0f);
        const std::vector<float> silent = render(input);
        for (std::size_t n : at)
            input[n] = 0.05f;
        const std::vector<float> y = render(input);
        std::vector<double> d(length);
        for (std::size_t i = 0; i < length; ++i)
            d[i] = static_cast<double>(y[i]) - silent[i];
        return d;
    }

    std::size_t latency() const
    {
        return static_cast<std::size_t>(PassLatency(*m.algorithm, m.t.coeffs, m.t.comb));
    }
    // Samples by which the comb's newer tap leads.
    std::size_t combLead() const
    {
        return static_cast<std::size_t>(
            VX9Steps::LookUpComb(m.t.comb, m.algorithm->combScale, m.t.coeffs.phase).tapDistance);
    }

    VX9TestMachine m;
};

// The first index in [from, to) where d reaches half of its extreme there
// (the largest value, or with sign -1 the most negative), and that extreme.
std::pair<std::size_t, double> Onset(const std::vector<double>& d, std::size_t from, std::size_t to,
                                     double sign = 1.0)
{
    double peak = 0.0;
    for (std::size_t i = from; i < to; ++i)
        peak = std::max(peak, sign * d[i]);
    std::size_t i = from;
    while (i < to && sign * d[i] < 0.5 * peak)
        ++i;
    return {i, peak};
}

double PeakIn(const std::vector<double>& d, std::size_t from, std::size_t to)
{
    double peak = 0.0;
    for (std::size_t i = from; i < std::min(to, d.size()); ++i)
        peak = std::max(peak, std::fabs(d[i]));
    return peak;
}

// With the head held still, each mode and tone at three delays: the echo
// rises at the pass latency the phase, the comb table and the resampler
// predict; Vintage and Retro subtract the comb's newer tap, which arrives
// trunc(tap distance) samples ahead, Modern has no comb. Dark's echo is
// darker than Normal's and Normal's than Bright's: a smaller share of its
// energy lies in sample-to-sample steps.
TEST(VX9Voicing, EchoTimeAndToneFollowTheVoicing)
{
    for (std::uint32_t mode : {kVintage, kRetro, kModern}) {
        for (double delay : {0.05, 0.3, 1.2}) {
            double brightness[3];
            for (std::uint32_t tone : {kNormal, kDark, kBright}) {
                SCOPED_TRACE(testing::Message() << mode << "/" << tone << "/" << delay);
                Voicing v(mode, tone, delay, 1.0);
                const std::size_t latency = v.latency();
                // The chain's latency is taken back out of the dialled time.
                EXPECT_NEAR(static_cast<double>(latency), delay * kRate, 12.0);
                const std::vector<double> d = v.echo(latency + 500);
                const auto [rise, peak] = Onset(d, 100, d.size());
                EXPECT_GE(rise, latency);
                EXPECT_LE(rise, latency + 2);
                const auto [dip, depth] = Onset(d, 100, d.size(), -1.0);
                if (mode == kModern) {
                    EXPECT_LT(depth, 0.2 * peak);
                } else {
                    EXPECT_GT(depth, 0.5 * peak);
                    EXPECT_GE(dip, latency - v.combLead());
                    EXPECT_LE(dip, latency - v.combLead() + 1);
                }
                double steps = 0.0;
                double energy = 0.0;
                for (std::size_t i = latency - 60; i < d.size(); ++i) {
                    steps += (d[i] - d[i - 1]) * (d[i] - d[i - 1]);
                    energy += d[i] * d[i];
                }
                brightness[tone] = steps / energy;
            }
            EXPECT_LT(brightness[kDark], brightness[kNormal]) << mode << "/" << delay;
            EXPECT_LT(brightness[kNormal], brightness[kBright]) << mode << "/" << delay;
        }
    }
}

TEST(VX9Voicing, WowAndFlutterMoveTheEchoExceptInModern)
{
    for (std::uint32_t mode : {kVintage, kRetro, kModern}) {
        Voicing v(mode, kNormal, 0.05, 1.0, false);
        const std::size_t latency = v.latency();
        std::vector<std::size_t> at;
        for (std::size_t n = 0; n < static_cast<std::size_t>(kRate); n += 2000)
            at.push_back(n);
        const std::vector<double> d = v.echo(at.back() + latency + 200, at);
        int earliest = 1000;
        int latest = -1000;
        for (std::size_t n : at) {
            const auto rise = static_cast<int>(Onset(d, n + latency - 40, n + latency + 60).first);
            earliest = std::min(earliest, rise - static_cast<int>(n + latency));
            latest = std::max(latest, rise - static_cast<int>(n + latency));
        }
        EXPECT_EQ(latest - earliest >= 8, mode != kModern) << latest - earliest;
        EXPECT_LE(latest - earliest, mode == kModern ? 2 : 40);
    }
}

TEST(VX9Voicing, VintageHissesAboveRetroAndModern)
{
    double rms[3];
    for (std::uint32_t mode : {kVintage, kRetro, kModern}) {
        Voicing v(mode, kNormal, 0.1, 1.0);
        const std::vector<float> y = v.render(std::vector<float>(24000, 0.0f));
        const std::vector<double> tail(y.begin() + 12000, y.end());
        rms[mode] = std::sqrt(std::inner_product(tail.begin(), tail.end(), tail.begin(), 0.0) /
                              static_cast<double>(tail.size()));
        EXPECT_GT(rms[mode], 0.0) << mode;
    }
    EXPECT_GT(rms[kVintage], 5.0 * rms[kRetro]);
    EXPECT_GT(rms[kVintage], 5.0 * rms[kModern]);
}

// At 1 there is one repeat; only Retro's top dial is past unity gain.
TEST(VX9Voicing, HigherFeedbackDecaysLongerAndOnlyRetroSustains)
{
    constexpr double kDelay = 0.05;
    for (std::uint32_t mode : {kVintage, kRetro, kModern}) {
        double previous = -1.0;
        for (double dial : {1.0, 5.0, 7.0, 9.0}) {
            SCOPED_TRACE(testing::Message() << mode << " at " << dial);
            Voicing v(mode, kNormal, kDelay, dial);
            const std::size_t latency = v.latency();
            const std::vector<double> d = v.echo(latency * 8 + latency / 2);
            // Repeat k arrives around k latencies.
            const auto repeat = [&](std::size_t k) {
                return PeakIn(d, k * latency - latency / 2, k * latency + latency / 2);
            };
            const double fourth = repeat(4) / repeat(1);
            EXPECT_GT(fourth, previous);
            previous = fourth;
            if (dial == 1.0) {
                EXPECT_LT(repeat(2), 1e-2 * repeat(1));
            } else if (dial == 9.0) {
                EXPECT_EQ(repeat(8) > 0.6 * repeat(1), mode == kRetro);
            }
        }
    }
}

} // namespace
