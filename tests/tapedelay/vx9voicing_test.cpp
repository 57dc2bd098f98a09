// The voicing: the values each tone and mode design, as published.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "recordingfactory.h"

namespace {

constexpr double kPi = 3.141592653589793;

// A rig voiced as the plug-in voices it at start-up.
struct Voiced : VX9ControllerRig {
    Voiced(std::uint32_t mode, std::uint32_t tone, float rate = 44100.0f) : VX9ControllerRig(rate)
    {
        voice(mode, tone, 0.5, 5.0);
    }
};

double OnePole(double fc, double rate)
{
    const double c = std::cos(2.0 * kPi * fc / rate);
    return 1.0 - ((2.0 - c) - std::sqrt((2.0 - c) * (2.0 - c) - 1.0));
}

TEST(VX9Voicing, ModeValues)
{
    struct Expect {
        double quantize, noiseFactor, crankC, wow, flutter, combGain, dcCorner;
        double preLimiter, postDistortion, threshold, makeup;
    };
    const Expect expected[] = {
        {16384.0, 0.0012, 0.03, 20.0, 4.44, 0.72, 50.0, 4.3, 2.9, 0.65, 1.1111111111111112},
        {16777216.0, 0.0001, 0.03, 20.0, 4.44, 0.72, 50.0, 2.5799999999999996, 3.915, 0.65,
         1.1111111111111112},
        {16777216.0, 0.0001, 0.0, 1.0, 0.0, 0.0, 30.0, 2.5, 6.4438, 0.7, 1.1904761904761905},
    };
    for (float rate : {44100.0f, 96000.0f}) {
        const double r = rate / 44100.0;
        for (std::uint32_t mode : {kVintage, kRetro, kModern}) {
            const Expect& e = expected[mode];
            Voiced rig(mode, kNormal, rate);
            const VX9Coeffs c = rig.factory.coeffs();
            const VX9AtomicCoeffs a = rig.factory.atomic();
            EXPECT_EQ(a.quantize, e.quantize) << mode;
            EXPECT_EQ(a.iquantize, 1.0 / e.quantize) << mode;
            EXPECT_EQ(a.crankC, e.crankC) << mode;
            EXPECT_EQ(a.crank1C, 1.0 - e.crankC) << mode;
            EXPECT_DOUBLE_EQ(c.noiseGain, std::pow(r, 0.1) * e.noiseFactor) << mode;
            EXPECT_DOUBLE_EQ(c.noiseA, OnePole(6000.0, rate)) << mode;
            EXPECT_DOUBLE_EQ(c.wowGain, r * e.wow) << mode;
            EXPECT_DOUBLE_EQ(c.flutterGain, r * e.flutter) << mode;
            EXPECT_EQ(c.combGain, e.combGain) << mode;
            EXPECT_DOUBLE_EQ(a.hpA, 1.0 - std::exp(-2.0 * kPi * e.dcCorner / rate)) << mode;
            EXPECT_EQ(a.hpB, a.hpA - 1.0) << mode;
            EXPECT_EQ(c.preLimiterGain, e.preLimiter) << mode;
            EXPECT_DOUBLE_EQ(c.postDistortionGain, e.postDistortion) << mode;
            EXPECT_EQ(c.limiterThreshold, e.threshold) << mode;
            EXPECT_EQ(c.limiterMakeup, e.makeup) << mode;
        }
    }
}

TEST(VX9Voicing, BandSplitterForTheNormalTone)
{
    struct Expect {
        double fc, q, lowDrive, midDrive, highDrive, highSum, lowDC, midDC, highDC;
    };
    const Expect expected[] = {
        {364.6, 3.0, 0.40078104, 0.680235, -2.0, 0.001905273, 0.00448155, 0.0853942, 0.254647},
        {364.6, 3.0, 0.40078104, 0.680235, -2.0, 0.001905273, 0.00448155, 0.0853942, 0.1273235},
        {801.0, 6.6, 0.1821732, 0.3401175, -0.3, 0.00635091, 0.000448155, 0.00853942, 0.00254647},
    };
    for (std::uint32_t mode : {kVintage, kRetro, kModern}) {
        const Expect& e = expected[mode];
        Voiced rig(mode, kNormal);
        const VX9Coeffs c = rig.factory.coeffs();
        const VX9AtomicCoeffs a = rig.factory.atomic();
        EXPECT_DOUBLE_EQ(a.f, 2.0 * std::sin(kPi * e.fc / (44100.0 * 3))) << mode;
        EXPECT_DOUBLE_EQ(a.oneOverQ, 1.0 / e.q) << mode;
        EXPECT_DOUBLE_EQ(a.nfq, -a.f * e.q) << mode;
        // The stated figures are rounded to seven or eight digits.
        EXPECT_NEAR(c.lowDrive, e.lowDrive, 1e-7) << mode;
        EXPECT_DOUBLE_EQ(c.midDrive, e.midDrive) << mode;
        EXPECT_DOUBLE_EQ(c.highDrive, e.highDrive) << mode;
        EXPECT_NEAR(c.highSum, e.highSum, 1e-9) << mode;
        EXPECT_DOUBLE_EQ(c.lowDC, e.lowDC) << mode;
        EXPECT_DOUBLE_EQ(c.midDC, e.midDC) << mode;
        EXPECT_DOUBLE_EQ(c.highDC, e.highDC) << mode;
        EXPECT_EQ(c.lowSum, 0.71) << mode;
        EXPECT_EQ(c.midSum, 1.0) << mode;
    }
    EXPECT_DOUBLE_EQ(Voiced(kModern, kNormal).factory.coeffs().lowDrive, 3.33 * 0.361064 / 6.6);
    // The splitter runs at the oversampled rate (twice 96 kHz), formed in
    // single precision.
    EXPECT_DOUBLE_EQ(Voiced(kVintage, kBright, 96000.0f).factory.atomic().f,
                     2.0 * std::sin(kPi * 850.0 / 192000.0));
    const float odd = 44100.7f;
    EXPECT_EQ(Voiced(kVintage, kNormal, odd).factory.atomic().f,
              2.0 * std::sin(kPi * 364.6 / double(odd * 3.0f)));
}

TEST(VX9Voicing, ToneDependentGains)
{
    // Pre-limiter gain in Retro; post-saturation gain in Vintage and Modern.
    const double retroPre[] = {2.5799999999999996, 4.3, 2.5799999999999996};
    const double vintagePost[] = {2.9, 3.99, 2.9};
    const double modernPost[] = {6.4438, 6.04485, 10.2515};
    const double corner[] = {5400.0, 4000.0, 8900.0};
    const double modernCorner[] = {6400.0, 4000.0, 10900.0};
    for (std::uint32_t tone : {kNormal, kDark, kBright}) {
        EXPECT_EQ(Voiced(kRetro, tone).factory.coeffs().preLimiterGain, retroPre[tone]);
        EXPECT_EQ(Voiced(kRetro, tone).factory.coeffs().postDistortionGain, 3.915);
        EXPECT_EQ(Voiced(kVintage, tone).factory.coeffs().postDistortionGain, vintagePost[tone]);
        EXPECT_DOUBLE_EQ(Voiced(kModern, tone).factory.coeffs().postDistortionGain,
                         modernPost[tone]);
        const double lift = std::exp(44100.0 / 831265.4161398592);
        EXPECT_DOUBLE_EQ(Voiced(kVintage, tone).factory.coeffs().lpA,
                         OnePole(corner[tone], 44100.0) * lift);
        EXPECT_DOUBLE_EQ(Voiced(kModern, tone).factory.coeffs().lpA,
                         OnePole(modernCorner[tone], 44100.0) * lift);
    }
    // Dark's splitter and low band.
    const Voiced dark(kVintage, kDark);
    EXPECT_DOUBLE_EQ(dark.factory.atomic().oneOverQ, 0.25);
    EXPECT_DOUBLE_EQ(dark.factory.coeffs().lowDrive, 0.25 * 3.33 * 0.4693832);
}

TEST(VX9Voicing, CombTableRows)
{
    constexpr int kGain = VX9CombTable::kGain;
    constexpr int kLow = VX9CombTable::kLowMultiplier;
    constexpr int kTap = VX9CombTable::kTapDistance;
    const VX9CombTable vintage = Voiced(kVintage, kNormal).factory.comb();
    const VX9CombTable modern = Voiced(kModern, kNormal).factory.comb();
    const VX9CombTable retroNormal = Voiced(kRetro, kNormal).factory.comb();
    const VX9CombTable retroDark = Voiced(kRetro, kDark).factory.comb();
    const VX9CombTable retroBright = Voiced(kRetro, kBright).factory.comb();

    EXPECT_EQ(vintage.rows[kTap][0], 6.125f); // 44100 / 7200
    EXPECT_EQ(vintage.rows[kGain][11], 1.0f);
    EXPECT_NEAR(vintage.rows[kGain][0], std::pow(10.0, -4.4 / 20.0), 1e-6);
    for (int k = 0; k < VX9CombTable::kEntries; ++k) {
        EXPECT_EQ(modern.rows[kTap][k], vintage.rows[kTap][k]) << k;
        EXPECT_EQ(retroNormal.rows[kTap][k], vintage.rows[kTap][k]) << k;
        EXPECT_EQ(modern.rows[kGain][k], 0.5f) << k;
        EXPECT_EQ(modern.rows[kLow][k], 0.15f) << k;
        EXPECT_EQ(retroNormal.rows[kLow][k], vintage.rows[kLow][k]) << k;
        EXPECT_GT(vintage.rows[kLow][k], 0.0f) << k;
    }
    // The two highest entries carry 0.8 of the low-band multiplier.
    const double h10 = 13000.0;
    EXPECT_NEAR(vintage.rows[kLow][10],
                0.8 / ((std::cos(2.0 * kPi * 1850.0 / h10) + 1.0) * 0.5) / 1.2, 1e-6);
    // Retro trims each entry by its tone's level below 26.5 dB.
    const auto trimmed = [&](int k, double t) {
        return vintage.rows[kGain][k] / std::pow(10.0, (26.5 - t) / 20.0);
    };
    EXPECT_NEAR(retroNormal.rows[kGain][0], trimmed(0, 25.0), 1e-7);
    EXPECT_NEAR(retroNormal.rows[kGain][4], trimmed(4, 22.4), 1e-7);
    EXPECT_NEAR(retroDark.rows[kGain][4], trimmed(4, 22.9), 1e-7);
    EXPECT_NEAR(retroBright.rows[kGain][3], trimmed(3, 19.0), 1e-7);
}

// |H| of a single-precision biquad at angular frequency w.
double Response(const VX9BiquadCoeffs& k, double w)
{
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((double(k.b0) + double(k.b1) * z1 + double(k.b2) * z2) /
                    (1.0 + double(k.a1) * z1 + double(k.a2) * z2));
}

TEST(VX9Voicing, FlutterFilters)
{
    for (float rate : {44100.0f, 48000.0f, 192000.0f}) {
        const VX9AtomicCoeffs a = Voiced(kVintage, kNormal, rate).factory.atomic();
        // The same designs, written from Q: alpha = sin(w) / (2 Q).
        const auto design = [rate](double f0, double q, bool highPass) {
            const double w = 2.0 * kPi * f0 / rate;
            const double alpha = std::sin(w) / (2.0 * q);
            const double cw = std::cos(w);
            const double a0 = 1.0 + alpha;
            const double b1 = (highPass ? -(1.0 + cw) : 1.0 - cw) / a0;
            const auto b0 = float(std::fabs(b1) / 2.0);
            return VX9BiquadCoeffs{b0, float(b1), b0, float(-2.0 * cw / a0),
                                   float((1.0 - alpha) / a0)};
        };
        const VX9BiquadCoeffs lp = design(210.0, 10.0, false);
        const VX9BiquadCoeffs hp = design(52.5, 1.0, true);
        for (const auto& [got, want] :
             {std::pair{a.noiseCoeffs, lp}, std::pair{a.noiseCoeffs2, hp}}) {
            EXPECT_EQ(got.b0, want.b0) << rate;
            EXPECT_EQ(got.b1, want.b1) << rate;
            EXPECT_EQ(got.b2, want.b2) << rate;
            EXPECT_EQ(got.a1, want.a1) << rate;
            EXPECT_EQ(got.a2, want.a2) << rate;
        }
        // Low-pass: unity at DC, a peak of Q = 10 at 210 Hz. High-pass: nothing
        // at DC, unity at Nyquist, Q = 1 at 52.5 Hz.
        EXPECT_NEAR(Response(a.noiseCoeffs, 0.0), 1.0, 1e-2) << rate;
        EXPECT_NEAR(Response(a.noiseCoeffs, 2.0 * kPi * 210.0 / rate), 10.0, 0.2) << rate;
        EXPECT_EQ(a.noiseCoeffs2.b0 + a.noiseCoeffs2.b1 + a.noiseCoeffs2.b2, 0.0f) << rate;
        EXPECT_NEAR(Response(a.noiseCoeffs2, kPi), 1.0, 1e-4) << rate;
        EXPECT_NEAR(Response(a.noiseCoeffs2, 2.0 * kPi * 52.5 / rate), 1.0, 1e-2) << rate;
    }
}

} // namespace
