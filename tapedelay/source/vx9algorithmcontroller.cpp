// Set-up, reset and the parameter operations. Every formula keeps its stated
// order of operations.
#include "vx9algorithmcontroller.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tapedelay/source/kernel/vx9simd.h"
#include "vx9ratebracket.h"
#include "vx9tape.h"

namespace {
// Lower bound first, then upper; NaN takes the lower bound, so no dial or
// delay time can reach the kernel as NaN.
double ClampRange(double v, double lo, double hi)
{
    const double low = v > lo ? v : lo;
    return low < hi ? low : hi;
}

// A 1-to-9 dial as a position from 0 to 1.
double DialPosition(double dial)
{
    return (ClampRange(dial, 1.0, 9.0) - 1.0) * 0.125;
}

// Indices outside the three options fall on the last one.
std::uint32_t OptionIndex(std::uint32_t index)
{
    return std::min(index, 2u);
}
} // namespace

// The wrapper asks nothing of this controller through the query word.
std::intptr_t VX9AlgorithmController::QueryWord()
{
    return 0;
}

void VX9AlgorithmController::SetupController(const HuxSetup& setup)
{
    if (coeffFactory == nullptr)
        throw std::invalid_argument("no coefficient block factory");
    smoothedCoeffs.SetupBlock(*coeffFactory);
    coeffs.SetupBlock(*coeffFactory);
    atomicCoeffs.SetupBlock(*coeffFactory);
    combTable.SetupBlock(*coeffFactory);

    flutterLowPass.sampleRate = setup.sampleRate;
    flutterHighPass.sampleRate = setup.sampleRate;

    rateSamples = VX9Math::TruncInt32(setup.sampleRate);
    tapeSamples = VX9Tape::Length(rateSamples);
    windowHalf = VX9Tape::kWindowHalf;

    // The algorithm refuses the same rates.
    RequireLowestRate(rateSamples);
    designToneLowPass();
    designBandSplitter(); // throws above the highest rate
}

void VX9AlgorithmController::ResetController()
{
    IIVX9Controller& self = *this;
    self.restartGate(true);
}

void VX9AlgorithmController::setBypassed(bool bypass)
{
    bypassed = bypass;
    IIVX9Controller& self = *this;
    self.setInput(inputDial);
    self.setOutput(outputDial);
    self.setBlend(blendDial);
}

// Unity while bypassed (the dial is not remembered); otherwise -12 dB at 1,
// rising by spanDb to 9.
void VX9AlgorithmController::applyLevel(double& gain, double& lastDial, double dial, double spanDb)
{
    if (bypassed) {
        gain = 1.0;
    } else {
        lastDial = dial;
        gain = std::pow(10.0, (DialPosition(dial) * spanDb - 12.0) / 20.0);
    }
    smoothedCoeffs.Changed(&gain);
}

void VX9AlgorithmController::setInput(double dial)
{
    applyLevel(smoothedCoeffs.values().inputGain, inputDial, dial, 24.0); // -12..+12 dB
}

void VX9AlgorithmController::setOutput(double dial)
{
    applyLevel(smoothedCoeffs.values().outputGain, outputDial, dial, 27.0); // -12..+15 dB
}

void VX9AlgorithmController::setBlend(double dial)
{
    VX9SmoothedCoeffs& s = smoothedCoeffs.values();
    if (bypassed) {
        s.wetGain = 0.0;
        s.dryGain = 1.0;
    } else {
        blendDial = dial;
        const double u = DialPosition(dial);
        s.dryGain = std::pow(10.0, -2.6 * std::pow(u, 2.5));
        s.wetGain = std::pow(10.0, -2.6 * std::pow(1.0 - u, 2.5));
    }
    smoothedCoeffs.Changed(&s.wetGain);
    smoothedCoeffs.Changed(&s.dryGain);
}

void VX9AlgorithmController::setFeedback(double dial)
{
    const double u = DialPosition(dial);
    VX9SmoothedCoeffs& s = smoothedCoeffs.values();
    VX9Coeffs& c = coeffs.values();
    if (mode == 1) {
        s.feedbackGain = std::pow(10.0, -1.0 * std::pow(1.0 - u, 1.5)) * std::pow(u, 0.7) * 1.15;
        c.inputRecordGain = 0.85;
    } else {
        s.feedbackGain = std::pow(10.0, -2.4 * std::pow(1.0 - u, 2.0)) * std::pow(u, 0.3) * 0.68;
        c.inputRecordGain = 1.0;
    }
    coeffs.Changed(&c.inputRecordGain);
    smoothedCoeffs.Changed(&s.feedbackGain);
}

void VX9AlgorithmController::setDelayTime(double seconds)
{
    const double tc = ClampRange(seconds, 0.005, 2.0);
    // 1/512 sample from the write index to the first sample the head reads.
    const double p = windowHalf;
    VX9Coeffs& c = coeffs.values();
    c.phase = 512.0 *
              (static_cast<double>(tapeSamples) -
               ((tc * static_cast<double>(rateSamples) - p) - static_cast<double>(windowHalf + 7)));
    coeffs.Changed(&c.phase);
}

void VX9AlgorithmController::setTimeGlide(bool slow)
{
    const double fc = slow ? 0.2 * 1.5 : 1.0 * 1.5;
    const double a = onePoleRate(fc, rate());
    VX9Coeffs& c = coeffs.values();
    if (a == c.phaseRate)
        return;
    c.phaseRate = a;
    coeffs.Changed(&c.phaseRate);
}

// The kernel glides the gated gain back up, so the output fades in.
void VX9AlgorithmController::restartGate(bool restart)
{
    if (!restart)
        return;
    VX9Coeffs& c = coeffs.values();
    c.gatedPostDistortionGain = 0.0;
    coeffs.Changed(&c.gatedPostDistortionGain);
}

void VX9AlgorithmController::setTone(std::uint32_t index)
{
    tone = OptionIndex(index);
    designDcBlocker();
    designToneLowPass();
    designBandSplitter();
    designGainStaging();
    designComb();
}

void VX9AlgorithmController::setMode(std::uint32_t index)
{
    const double rateRatio = rate() / 44100.0;
    IIVX9Controller& self = *this;
    self.restartGate(true);
    mode = OptionIndex(index);
    designModeValuesPart1();
    designBandSplitter();
    designGainStaging();
    designComb();
    designToneLowPass();
    designDcBlocker();
    designModeValuesPart2(rateRatio);
}
