// Coefficients filled in by hand, delivered the way a wrapper delivers them:
// one smoothed record per sample plus one, and the three other areas.
// Shared by the kernel tests and the benchmark.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "tapedelay/source/vx9algorithm.h"
#include "tapedelay/source/vx9coeffs.h"
#include "tapedelay/source/vx9numerics.h"
#include "tapedelay/source/vx9ratebracket.h"

struct VX9TestPack {
    explicit VX9TestPack(std::size_t maxFrames) : smoothed(maxFrames + 1) {}

    // Copies `gains` into every per-sample record.
    void publishGains()
    {
        for (VX9SmoothedCoeffs& record : smoothed)
            record = gains;
    }

    HuxCoeffHandle& handle()
    {
        pack = {smoothed.data(), &coeffs, &atomic, &comb};
        handlePointer = &pack;
        return handlePointer;
    }

    VX9SmoothedCoeffs gains{};
    std::vector<VX9SmoothedCoeffs> smoothed;
    VX9Coeffs coeffs{};
    VX9AtomicCoeffs atomic{};
    VX9CombTable comb{};
    VX9CoeffPack pack{};
    HuxCoeffHandle handlePointer = nullptr;
};

// An algorithm set up at `rate` with a pack of its own, driven the way a
// wrapper drives it: through its process callback, one channel.
struct VX9TestMachine {
    VX9TestMachine(float rate, std::size_t maxFrames) : algorithm(new VX9Algorithm()), t(maxFrames)
    {
        HuxSetup setup;
        setup.sampleRate = rate;
        setupResult = algorithm->Setup(setup);
    }

    KtResult reset() { return algorithm->Reset(t.handle()); }

    // One block of `frames`; in and out may be the same buffer.
    void block(const float* in, float* out, std::uint32_t frames)
    {
        const HuxProcessCallback callback = algorithm->GetProcessCallback();
        callback.function(callback.context, 0, frames, 0, &in, 0, &out, t.handle(), meters);
    }

    std::unique_ptr<VX9Algorithm> algorithm;
    VX9TestPack t;
    KtResult setupResult;
    float meters[2] = {0.0f, 0.0f};
};

// The read offset (1/512 sample) at which the head plays, `delay` samples
// later, what was written now.
inline double PhaseForDelay(std::int32_t tapeLength, double delay)
{
    return (tapeLength - 14 - delay) * 512.0;
}

// The resampler's latency in whole samples: 24 - (factor - 1) / factor.
inline int ResamplerLatency(int factor)
{
    return static_cast<int>(24.0 - (factor - 1.0) / factor);
}

// Samples from input to output: the head's distance behind the write index
// plus the record chain (comb 15 + trunc(tap distance), then the resampler).
inline int PassLatency(const VX9Algorithm& algorithm, const VX9Coeffs& c, const VX9CombTable& comb)
{
    const double head = algorithm.tapeLength - 14 - c.phase / 512.0;
    const double cp = static_cast<double>(algorithm.combScale) * c.phase;
    const int i = VX9Math::TruncInt32(cp);
    const double t0 = comb.rows[VX9CombTable::kTapDistance][i];
    const double t1 = comb.rows[VX9CombTable::kTapDistance][i + 1];
    const double a = t0 + (t1 - t0) * (cp - i);
    return static_cast<int>(head) + 15 + VX9Math::TruncInt32(a) +
           ResamplerLatency(algorithm.oversampling);
}

// A transparent record chain: comb as a pure delay of 15 + tapDistance
// samples, no tone, DC blocking, limiting or wobble; the high band carries
// the signal through a soft clip of small-signal gain 0.75.
inline void SetTransparentChain(VX9TestPack& t, float tapDistance)
{
    t.coeffs.lpA = 1.0;
    t.coeffs.preLimiterGain = 1.0;
    t.coeffs.limiterThreshold = 10.0;
    t.coeffs.limiterMakeup = 1.0;
    t.coeffs.highDrive = -1.0;
    t.coeffs.highSum = 1.0;
    t.coeffs.postDistortionGain = 1.0;
    t.coeffs.gatedPostDistortionGain = 1.0;
    t.atomic.crank1C = 1.0;
    t.atomic.quantize = 16777216.0;
    t.atomic.iquantize = 1.0 / 16777216.0;
    for (int k = 0; k < VX9CombTable::kEntries; ++k) {
        t.comb.rows[VX9CombTable::kTapDistance][k] = tapDistance;
        t.comb.rows[VX9CombTable::kGain][k] = 1.0f;
    }
}

// A Retro-style voicing at `rate` with the given delay (samples) and
// feedback gain: wow, flutter, comb colouring, limiter, saturation and hiss
// all active, with values of the size the controller designs.
inline void SetRetroVoicing(VX9TestPack& t, double rate, std::int32_t tapeLength, double delay,
                            double feedbackGain)
{
    constexpr double pi = std::numbers::pi;
    const double r = rate / 44100.0;
    const auto onePole = [rate](double fc) {
        const double c = std::cos(2.0 * pi * fc / rate);
        return 1.0 - ((2.0 - c) - std::sqrt((2.0 - c) * (2.0 - c) - 1.0));
    };
    t.gains = {0.5, 1.0, 1.0, 1.0, feedbackGain};
    t.publishGains();

    VX9Coeffs& c = t.coeffs;
    c = {};
    c.phaseRate = onePole(1.5);
    c.phase = PhaseForDelay(tapeLength, delay);
    c.inputRecordGain = 0.85;
    c.postDistortionGain = 3.915;
    c.gatedPostDistortionGain = 3.915;
    c.noiseA = onePole(6000.0);
    c.noiseGain = std::pow(r, 0.1) * 0.0001;
    c.flutterGain = r * 4.44;
    c.wowGain = r * 20.0;
    c.combGain = 0.72;
    c.lpA = onePole(5400.0) * std::exp(rate / 831265.4161398592);
    c.preLimiterGain = 2.58;
    c.limiterThreshold = 0.65;
    c.limiterMakeup = 1.0 / 0.9;
    c.lowDrive = 0.40078104;
    c.lowSum = 0.71;
    c.lowDC = 0.00448155;
    c.midDrive = 0.680235;
    c.midSum = 1.0;
    c.midDC = 0.0853942;
    c.highDrive = -2.0;
    c.highSum = 0.001905273;
    c.highDC = 0.1273235;

    VX9AtomicCoeffs& f = t.atomic;
    const double p = std::exp(-2.0 * pi * 50.0 / rate);
    const int os = OversamplingFactor(static_cast<std::int32_t>(rate));
    f.hpA = 1.0 - p;
    f.hpB = -p;
    f.f = 2.0 * std::sin(pi * 364.6 / (rate * os));
    f.oneOverQ = 1.0 / 3.0;
    f.nfq = -f.f * 3.0;
    f.quantize = 16777216.0;
    f.iquantize = 1.0 / 16777216.0;
    f.crankC = 0.03;
    f.crank1C = 0.97;
    // Resonant low-pass at 210 Hz and high-pass at 52.5 Hz for the flutter.
    const double wl = 2.0 * pi * 210.0 / rate, al = std::sin(wl) / 20.0, a0l = 1.0 + al;
    const double cl = std::cos(wl);
    f.noiseCoeffs = {float((1.0 - cl) * 0.5 / a0l), float((1.0 - cl) / a0l),
                     float((1.0 - cl) * 0.5 / a0l), float(-2.0 * cl / a0l),
                     float((1.0 - al) / a0l)};
    const double wh = 2.0 * pi * 52.5 / rate, ah = std::sin(wh) * 0.5, a0h = 1.0 + ah;
    const double ch = std::cos(wh);
    f.noiseCoeffs2 = {float((1.0 + ch) * 0.5 / a0h), float(-(1.0 + ch) / a0h),
                      float((1.0 + ch) * 0.5 / a0h), float(-2.0 * ch / a0h),
                      float((1.0 - ah) / a0h)};

    constexpr float kHz[VX9CombTable::kEntries] = {7.2f,  6.0f,   5.6f, 5.45f, 5.3f,  5.525f,
                                                   5.75f, 6.125f, 6.5f, 6.75f, 13.0f, 13.5f};
    for (int k = 0; k < VX9CombTable::kEntries; ++k) {
        const double h = kHz[k] * 1000.0;
        t.comb.rows[VX9CombTable::kTapDistance][k] = float(rate / h);
        t.comb.rows[VX9CombTable::kGain][k] = 0.4f;
        t.comb.rows[VX9CombTable::kLowMultiplier][k] =
            float(1.0 / ((std::cos(2.0 * pi * 1850.0 / h) + 1.0) * 0.5) / 1.2);
    }
}
