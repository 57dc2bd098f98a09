// The tape delay's algorithm controller: turns parameter values into the
// coefficients the kernel reads, writes them into the four containers and
// notifies the wrapper's blocks. Parameter thread only; no operation may be
// called before Setup.
#pragma once

#include <cstdint>

#include "hux/public/plugin/hux.h"
#include "vx9coeffcontainer.h"

// A flutter filter: the rate it was designed for and its single-precision
// biquad coefficients.
struct FlutterFilterDesign {
    float sampleRate;
    float b0;
    float b1;
    float b2;
    float a1;
    float a2;
};

struct VX9AlgorithmController final : HuxAlgorithmController<IIVX9Controller> {
    std::intptr_t QueryWord() override;
    void SetupController(const HuxSetup& setup) override;
    void ResetController() override;

    void setBypassed(bool bypassed) override;
    void setTone(std::uint32_t tone) override;
    void setMode(std::uint32_t mode) override;
    void setDelayTime(double seconds) override;
    void setFeedback(double dial) override;
    void setInput(double dial) override;
    void setBlend(double dial) override;
    void setOutput(double dial) override;
    void setTimeGlide(bool slow) override;
    void restartGate(bool restart) override;

private:
    double rate() { return static_cast<double>(GetSampleRate()); }
    void applyLevel(double& gain, double& lastDial, double dial, double spanDb);

    // The voicing (tone-, mode- and rate-dependent values).
    void designDcBlocker();
    void designToneLowPass();
    void designBandSplitter();
    void designGainStaging();
    void designComb();
    void designModeValuesPart1();                 // crank, hiss and quantiser
    void designModeValuesPart2(double rateRatio); // wow, flutter depth and filters

    VX9SmoothedCoeffsT<HuxCoeffHandler> smoothedCoeffs;
    VX9CoeffsT<HuxCoeffHandler> coeffs;
    VX9AtomicCoeffsT<HuxCoeffHandler> atomicCoeffs;
    VX9CombTableT<HuxCoeffHandler> combTable;
    std::uint32_t tone = 0; // 0 Normal, 1 Dark, 2 Bright
    std::uint32_t mode = 1; // 0 Vintage, 1 Retro, 2 Modern
    std::int32_t windowHalf = 0;
    std::int32_t tapeSamples = 0;
    std::int32_t rateSamples = 0;
    bool bypassed = false;
    // The dial values last applied while not bypassed; the parameters'
    // defaults until the plug-in applies its own.
    double inputDial = 5.0;
    double outputDial = 4.5;
    double blendDial = 5.0;
    FlutterFilterDesign flutterLowPass{};
    FlutterFilterDesign flutterHighPass{};
};
