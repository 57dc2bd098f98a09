// Spectra for the plot: a radix-2 FFT and a magnitude spectrum averaged in
// fractional-octave bands, so that a curve stays readable on a log axis.
#pragma once

#include <complex>
#include <span>
#include <vector>

// In place; data.size() must be a power of two.
void Fft(std::vector<std::complex<double>>& data);

struct SpectrumPoint {
    double hz = 0.0;
    double db = 0.0; // a single sample of amplitude a reads 20 log10(a) at every frequency
};

// The magnitude spectrum of samples, zero-padded to a power of two at least
// four times as long, as the
// power average of each 1/12-octave band centred on points from lowHz to
// highHz (twelve a octave, starting at lowHz); a band narrower than the
// FFT's bin spacing takes its nearest bin.
std::vector<SpectrumPoint> BandSpectrum(std::span<const float> samples, double rate, double lowHz,
                                        double highHz);
