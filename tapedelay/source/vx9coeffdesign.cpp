// The tape model's voicing: the tone-, mode- and rate-dependent
// coefficients. Constants are exact as written; products run left to right.
#include <cmath>

#include "tapedelay/source/kernel/vx9simd.h"
#include "vx9algorithmcontroller.h"
#include "vx9ratebracket.h"

namespace {
constexpr double kPi = 3.141592653589793;
constexpr std::uint32_t kDark = 1;
constexpr std::uint32_t kRetro = 1;
constexpr std::uint32_t kModern = 2;

// The band splitter and the saturation bands, per tone.
struct BandVoicing {
    double fc;
    double modernFc;
    double q;
    double lowFactor;
    double midDrive;
    double highDriveBase;
    double highSumBase;
    double lowSum;
};

constexpr BandVoicing kBandVoicing[3] = {
    {364.6, 801.0, 3.0, 0.361064, 0.680235, 2.0, 0.00211697, 0.71},         // Normal
    {122.0, 320.0, 4.0, 0.4693832, 0.680235, 2.0, 0.00211697, 0.71},        // Dark
    {850.0, 1380.0, 2.1, 0.361064, 0.680235 * 0.6, 1.8, 0.01270182, 0.426}, // Bright
};

// Tone low-pass corner per tone, and what Modern adds to it.
constexpr double kToneCorner[3] = {5400.0, 4000.0, 8900.0};
constexpr double kModernToneLift[3] = {1000.0, 0.0, 2000.0};

constexpr double kPostDistortionBase[3] = {2.9, 3.99, 2.9};
constexpr double kModernPostDistortion[3] = {2.9 * 2.2 * 1.01, 3.99 * 1.5 * 1.01, 2.9 * 3.5 * 1.01};

// The twelve comb entries: frequency (kHz) and level (dB), single precision.
constexpr int kCombEntries = VX9CombTable::kEntries;
constexpr float kCombKHz[kCombEntries] = {7.2f,  6.0f,   5.6f, 5.45f, 5.3f,  5.525f,
                                          5.75f, 6.125f, 6.5f, 6.75f, 13.0f, 13.5f};
constexpr float kCombDb[kCombEntries] = {-12.7f, -11.3f, -10.8f, -10.6f, -10.4f, -10.7f,
                                         -11.0f, -11.5f, -11.9f, -12.2f, -16.9f, -17.1f};
// Retro's per-entry level trim (dB below 26.5) for Normal; Dark adds 0.5.
constexpr double kRetroTrimNormal[kCombEntries] = {25.0, 23.0, 22.5, 22.0, 22.4, 22.8,
                                                   22.8, 23.9, 24.2, 24.6, 25.8, 25.9};
constexpr double kRetroTrimBright[kCombEntries] = {25.0, 23.0, 22.0, 19.0, 20.0, 21.0,
                                                   22.0, 23.0, 24.2, 24.6, 24.8, 25.0};

double RetroTrim(std::uint32_t tone, int k)
{
    if (tone == kDark)
        return kRetroTrimNormal[k] + 0.5;
    return tone == 2 ? kRetroTrimBright[k] : kRetroTrimNormal[k];
}

// Resonant low-pass at 210 Hz, Q 10.
void DesignFlutterLowPass(FlutterFilterDesign& d)
{
    const double w = 2.0 * kPi * 210.0 / static_cast<double>(d.sampleRate);
    const double alpha = std::sin(w) / 20.0;
    const double a0 = 1.0 + alpha;
    const double cw = std::cos(w);
    d.b0 = static_cast<float>((1.0 - cw) * 0.5 / a0);
    d.b1 = static_cast<float>((1.0 - cw) / a0);
    d.b2 = d.b0;
    d.a1 = static_cast<float>(-2.0 * cw / a0);
    d.a2 = static_cast<float>((1.0 - alpha) / a0);
}

// High-pass at 52.5 Hz, Q 1.
void DesignFlutterHighPass(FlutterFilterDesign& d)
{
    const double w = 2.0 * kPi * 52.5 / static_cast<double>(d.sampleRate);
    const double alpha = std::sin(w) * 0.5;
    const double a0 = 1.0 + alpha;
    const double cw = std::cos(w);
    d.b0 = static_cast<float>((1.0 + cw) * 0.5 / a0);
    d.b1 = static_cast<float>(-(1.0 + cw) / a0);
    d.b2 = d.b0;
    d.a1 = static_cast<float>(-2.0 * cw / a0);
    d.a2 = static_cast<float>((1.0 - alpha) / a0);
}

VX9BiquadCoeffs Coefficients(const FlutterFilterDesign& d)
{
    return {d.b0, d.b1, d.b2, d.a1, d.a2};
}
} // namespace

void VX9AlgorithmController::designDcBlocker()
{
    const double fc = mode == kModern ? 30.0 : 50.0;
    const double p = std::exp(-2.0 * kPi * fc / rate());
    VX9AtomicCoeffs& a = atomicCoeffs.values();
    a.hpB = -p;
    a.hpA = 1.0 - p;
    atomicCoeffs.Changed(&a.hpA);
    atomicCoeffs.Changed(&a.hpB);
}

void VX9AlgorithmController::designToneLowPass()
{
    double fc = kToneCorner[tone];
    if (mode == kModern)
        fc = fc + kModernToneLift[tone];
    const double r = rate();
    // e^(rate / (2 pi 132300)): a lift of the rate that grows with the
    // sample rate (about 1.0545 at 44.1 kHz).
    VX9Coeffs& c = coeffs.values();
    c.lpA = onePoleRate(fc, r) * std::exp(r / 831265.4161398592);
    coeffs.Changed(&c.lpA);
}

void VX9AlgorithmController::designBandSplitter()
{
    BandVoicing v = kBandVoicing[tone];
    if (mode == kModern) {
        v.fc = v.modernFc;
        v.q = v.q * 2.2;
    }
    const double r = rate();
    const std::int32_t os = OversamplingFactor(VX9Math::TruncInt32(r));

    VX9AtomicCoeffs& a = atomicCoeffs.values();
    const float oversampledRate = static_cast<float>(r) * static_cast<float>(os);
    a.f = 2.0 * std::sin(kPi * v.fc / static_cast<double>(oversampledRate));
    a.oneOverQ = 1.0 / v.q;
    a.nfq = -a.f * v.q;
    atomicCoeffs.Publish();

    double dc = 1.0;
    double hdc = mode == kRetro ? 0.5 : 1.0;
    if (mode == kModern) {
        dc = 0.1;
        hdc = 0.01;
        v.midDrive = v.midDrive * 0.5;
        v.highDriveBase = v.highDriveBase * 0.5 * 0.3;
        v.highSumBase = v.highSumBase * 3.3333333333333335;
    }

    // Each band is published on its own: drive, weight and offset together.
    VX9Coeffs& c = coeffs.values();
    c.lowSum = v.lowSum;
    c.lowDrive = 1.0 / v.q * 3.33 * v.lowFactor;
    c.lowDC = dc * 0.00448155;
    coeffs.Publish();

    c.midDrive = v.midDrive;
    c.midSum = 1.0;
    c.midDC = dc * 0.0853942;
    coeffs.Publish();

    c.highDrive = -v.highDriveBase;
    c.highDC = hdc * 0.254647;
    c.highSum = v.highSumBase * 0.9;
    coeffs.Publish();
}

void VX9AlgorithmController::designGainStaging()
{
    VX9Coeffs& c = coeffs.values();
    if (mode == kModern) {
        c.preLimiterGain = 2.5;
        c.postDistortionGain = kModernPostDistortion[tone];
        c.limiterThreshold = 0.7;
        c.limiterMakeup = 1.0 / (0.14 + 0.7);
    } else {
        c.preLimiterGain = mode == kRetro && tone != kDark ? 4.3 * 0.6 : 4.3;
        c.postDistortionGain = mode == kRetro ? 3.915 : kPostDistortionBase[tone];
        c.limiterThreshold = 0.65;
        c.limiterMakeup = 1.0 / (0.25 + 0.65);
    }
    coeffs.Changed(&c.preLimiterGain);
    coeffs.Changed(&c.postDistortionGain);
    coeffs.Changed(&c.limiterThreshold);
    coeffs.Changed(&c.limiterMakeup);
}

void VX9AlgorithmController::designComb()
{
    VX9Coeffs& c = coeffs.values();
    c.combGain = mode <= kRetro ? 0.72 : 0.0;
    coeffs.Changed(&c.combGain);

    const double r = rate();
    auto& rows = combTable.values().rows;
    for (int k = 0; k < kCombEntries; ++k) {
        const double h = static_cast<float>(static_cast<double>(kCombKHz[k]) * 1000.0);
        float& tapDistance = rows[VX9CombTable::kTapDistance][k];
        float& gain = rows[VX9CombTable::kGain][k];
        float& lowMultiplier = rows[VX9CombTable::kLowMultiplier][k];

        tapDistance = static_cast<float>(r / h);
        gain = static_cast<float>(std::pow(
            10.0, (static_cast<double>(kCombDb[11]) - static_cast<double>(kCombDb[k])) / 20.0));
        lowMultiplier =
            static_cast<float>(1.0 / ((std::cos(2.0 * kPi * 1850.0 / h) + 1.0) * 0.5) / 1.2);
        if (k >= 10)
            lowMultiplier = static_cast<float>(static_cast<double>(lowMultiplier) * 0.8);

        if (mode == kModern) {
            gain = 0.5f;
            lowMultiplier = 0.15f;
        } else if (mode == kRetro) {
            gain = static_cast<float>(static_cast<double>(gain) /
                                      std::pow(10.0, (26.5 - RetroTrim(tone, k)) / 20.0));
        }
    }
    combTable.Publish();
}

void VX9AlgorithmController::designModeValuesPart1()
{
    VX9AtomicCoeffs& a = atomicCoeffs.values();
    a.crankC = mode <= kRetro ? 0.03 : 0.0;
    a.crank1C = 1.0 - a.crankC;
    atomicCoeffs.Publish();

    const double r = rate();
    VX9Coeffs& c = coeffs.values();
    c.noiseA = onePoleRate(6000.0, r);
    coeffs.Changed(&c.noiseA);
    c.noiseGain = std::pow(r / 44100.0, 0.1) * (mode == 0 ? 0.0012 : 0.0001);
    coeffs.Changed(&c.noiseGain);

    const double bits = mode == 0 ? 14.0 : 24.0;
    a.quantize = static_cast<double>(VX9Math::TruncInt32(std::pow(2.0, bits) + 0.5));
    a.iquantize = 1.0 / a.quantize;
    atomicCoeffs.Publish();
}

void VX9AlgorithmController::designModeValuesPart2(double rateRatio)
{
    VX9Coeffs& c = coeffs.values();
    c.wowGain = rateRatio * (mode <= kRetro ? 20.0 : 1.0);
    c.flutterGain = mode <= kRetro ? rateRatio * 4.44 : 0.0;
    coeffs.Changed(&c.flutterGain);
    coeffs.Changed(&c.wowGain);

    DesignFlutterLowPass(flutterLowPass);
    DesignFlutterHighPass(flutterHighPass);
    VX9AtomicCoeffs& a = atomicCoeffs.values();
    a.noiseCoeffs = Coefficients(flutterLowPass);
    a.noiseCoeffs2 = Coefficients(flutterHighPass);
    atomicCoeffs.Publish();
}
