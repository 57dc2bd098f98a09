#include "sincdesign.h"

#include <cmath>
#include <numbers>

namespace {
template <class Tap>
void DesignRow(Tap* row, double offset, int taps, float cutoff)
{
    constexpr double pi = std::numbers::pi;
    const double center = std::ceil(taps * 0.5) - 1.0;
    const double c = cutoff;
    double sum = 0.0;
    for (int j = 0; j < taps; ++j) {
        const double t = j - center - offset;
        const double x = t * pi * c;
        const double s = x == 0.0 ? 1.0 : std::sin(x) / x;
        const double u = 2.0 * t * pi / taps;
        const double w = 0.08 * std::cos(2.0 * u) + (0.5 * std::cos(u) + 0.42);
        const double tap = s * w;
        row[j] = static_cast<Tap>(tap);
        sum += tap;
    }
    // Normalise the stored (rounded) taps by the unrounded sum.
    const double scale = 1.0 / sum;
    for (int j = 0; j < taps; ++j)
        row[j] = static_cast<Tap>(static_cast<double>(row[j]) * scale);
}
} // namespace

void DesignSincRow(float* row, double offset, int taps, float cutoff)
{
    DesignRow(row, offset, taps, cutoff);
}

void DesignSincRow(double* row, double offset, int taps, float cutoff)
{
    DesignRow(row, offset, taps, cutoff);
}
