// The controller drives the algorithm: what its blocks were told is copied
// into the coefficient pack by hand, as a wrapper would deliver it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "recordingfactory.h"
#include "vx9testpack.h"

namespace {

constexpr float kRate = 48000.0f;
constexpr double kDelay = 0.25;
constexpr std::size_t kBlock = 512;

struct Echoes {
    Echoes(std::uint32_t mode, double feedbackDial) : rig(kRate), machine(kRate, kBlock)
    {
        rig.voice(mode, 0, kDelay, feedbackDial);
        VX9TestPack& t = machine.t;
        t.gains = rig.factory.smoothed();
        t.publishGains();
        t.coeffs = rig.factory.coeffs();
        t.atomic = rig.factory.atomic();
        t.comb = rig.factory.comb();
        EXPECT_EQ(machine.setupResult.code, 0);
        EXPECT_EQ(machine.reset().code, 0);
    }

    // Three seconds of silence open the gate (it starts closed after the
    // mode change), then an impulse; returns what follows it.
    std::vector<float> impulseResponse(std::size_t length)
    {
        const std::size_t warm = 3 * static_cast<std::size_t>(kRate);
        std::vector<float> audio(warm + length, 0.0f);
        audio[warm] = 0.5f;
        for (std::size_t at = 0; at < audio.size(); at += kBlock) {
            const auto n = static_cast<std::uint32_t>(std::min(kBlock, audio.size() - at));
            machine.block(audio.data() + at, audio.data() + at, n);
        }
        return {audio.begin() + static_cast<std::ptrdiff_t>(warm), audio.end()};
    }

    int passLatency() { return PassLatency(*machine.algorithm, machine.t.coeffs, machine.t.comb); }

    VX9ControllerRig rig;
    VX9TestMachine machine;
};

float Peak(const std::vector<float>& y, std::size_t from, std::size_t to, std::size_t* at = nullptr)
{
    const auto begin = y.begin() + static_cast<std::ptrdiff_t>(from);
    const auto it = std::max_element(begin, y.begin() + static_cast<std::ptrdiff_t>(to),
                                     [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    if (at != nullptr)
        *at = static_cast<std::size_t>(it - y.begin());
    return std::fabs(*it);
}

// Modern: no wow depth to speak of and no comb, so the echo keeps its time.
TEST(VX9EndToEnd, EchoesArriveAtTheDelayTime)
{
    Echoes one(2, 1.0);
    const int latency = one.passLatency();
    // The read geometry takes the chain's latency back out of the delay.
    EXPECT_NEAR(latency, kDelay * kRate, 10.0);
    const std::vector<float> y = one.impulseResponse(4 * 12000);
    std::size_t at = 0;
    const float echo = Peak(y, 100, 16000, &at);
    EXPECT_GT(echo, 0.02f);
    // The half-sample read centre, the resampler's fraction and the band
    // splitter's ringing put the peak under two samples after the latency.
    EXPECT_GE(at, static_cast<std::size_t>(latency));
    EXPECT_LE(at, static_cast<std::size_t>(latency + 2));
    EXPECT_LT(Peak(y, 100, at - 30), echo * 1e-3f);
    // Feedback at 1: exactly one repeat.
    EXPECT_LT(Peak(y, at + 2000, y.size()), echo * 1e-3f);

    Echoes more(2, 7.0);
    const std::vector<float> z = more.impulseResponse(4 * 12000);
    for (std::size_t n = 1; n <= 3; ++n) {
        const std::size_t expected = n * static_cast<std::size_t>(latency);
        std::size_t repeat = 0;
        EXPECT_GT(Peak(z, expected - 200, expected + 200, &repeat), echo * 0.1f) << n;
        EXPECT_GE(repeat, expected) << n;
        EXPECT_LE(repeat, expected + 2 * n) << n;
    }
}

} // namespace
