#include "spectrum.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void Fft(std::vector<std::complex<double>>& data)
{
    const std::size_t n = data.size();
    // Bit-reversed order, then butterflies of doubling span.
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    for (std::size_t span = 2; span <= n; span <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(span);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (std::size_t start = 0; start < n; start += span) {
            std::complex<double> twiddle(1.0, 0.0);
            for (std::size_t k = 0; k < span / 2; ++k) {
                const std::complex<double> odd = data[start + k + span / 2] * twiddle;
                data[start + k + span / 2] = data[start + k] - odd;
                data[start + k] += odd;
                twiddle *= step;
            }
        }
    }
}

std::vector<SpectrumPoint> BandSpectrum(std::span<const float> samples, double rate, double lowHz,
                                        double highHz)
{
    // Padded to four times the window or more, so that the low bands, a
    // few bins wide, still follow the curve.
    std::size_t n = 1;
    while (n < 4 * samples.size())
        n <<= 1;
    std::vector<std::complex<double>> bins(n);
    std::copy(samples.begin(), samples.end(), bins.begin());
    Fft(bins);

    const double spacing = rate / static_cast<double>(n);
    const std::size_t last = n / 2;
    const double halfBand = std::pow(2.0, 1.0 / 24.0);
    std::vector<SpectrumPoint> points;
    for (int step = 0;; ++step) {
        const double hz = lowHz * std::pow(2.0, step / 12.0);
        if (hz > highHz)
            break;
        auto low = static_cast<std::size_t>(std::ceil(hz / halfBand / spacing));
        auto high = static_cast<std::size_t>(std::floor(hz * halfBand / spacing));
        if (low > high)
            low = high = static_cast<std::size_t>(std::lround(hz / spacing));
        high = std::min(high, last);
        low = std::min(low, high);
        double power = 0.0;
        for (std::size_t k = low; k <= high; ++k)
            power += std::norm(bins[k]);
        power /= static_cast<double>(high - low + 1);
        points.push_back({hz, 10.0 * std::log10(std::max(power, 1e-30))});
    }
    return points;
}
