// What a click becomes in the tape delay, measured from the rendered
// response: the level of each repeat, the envelope over time, and the
// spectrum of the first repeat.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "spectrum.h"

struct Repeat {
    std::size_t number = 0; // 1 for the first echo
    std::size_t frame = 0;  // where its peak lies, counted from the click
    double levelDb = 0.0;   // that sample's magnitude in dBFS
};

struct EnvelopePoint {
    double seconds = 0.0; // the bin's start
    double db = 0.0;      // its peak in dBFS; -infinity when silent
};

struct EchoTrain {
    double delaySeconds = 0.0;
    double dryDb = 0.0; // the response's peak before the first echo window
    std::vector<Repeat> repeats;
    std::vector<EnvelopePoint> envelope;
    std::vector<SpectrumPoint> firstRepeatSpectrum; // empty without a first repeat
};

// Repeat k's peak is the loudest sample within half a delay either side of
// k delays after the click (at frame 0 of response), for each such window
// that the response holds whole, up to the first repeat that does not stand
// out 6 dB above the loudest sample of the window's first quarter delay (the
// hiss between repeats). The envelope has envelopeBins
// bins; the first repeat's spectrum covers a window from 2 ms (at most a
// quarter delay) before its peak, at most 100 ms and 0.9 delays long, from
// 20 Hz to 20 kHz or the Nyquist frequency.
EchoTrain MeasureEchoTrain(std::span<const float> response, double sampleRate, double delaySeconds,
                           std::size_t envelopeBins);
