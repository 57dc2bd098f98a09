#include "updownsampler.h"

#include <algorithm>

#include "sincdesign.h"

UpDownSampler::~UpDownSampler() = default;

void UpDownSampler::Init(int newFactor, double cutoff)
{
    factor = newFactor;
    downTaps = kTaps * newFactor;
    upTaps = kTaps;
    // make_unique value-initialises: the histories start at zero.
    upHistory = std::make_unique<double[]>(2 * kTaps);
    downHistory = std::make_unique<double[]>(2 * static_cast<std::size_t>(downTaps));
    upWrite = 0;
    downWrite = 0;
    upCoeffs = std::make_unique<double[]>(static_cast<std::size_t>(kTaps) * newFactor);
    downCoeffs = std::make_unique<double[]>(downTaps);
    for (int j = 0; j < newFactor; ++j)
        DesignSincRow(upCoeffs.get() + j * kTaps, static_cast<double>(j) / newFactor, kTaps,
                      static_cast<float>(cutoff));
    DesignSincRow(downCoeffs.get(), 0.0, downTaps, static_cast<float>(cutoff / newFactor));
}

void UpDownSampler::Reset()
{
    upWrite = 0;
    downWrite = 0;
    if (upHistory && downHistory) {
        std::fill_n(upHistory.get(), 2 * upTaps, 0.0);
        std::fill_n(downHistory.get(), 2 * downTaps, 0.0);
    }
}

// Only the last `taps` samples of a run stay in a ring: the earlier ones
// just move the write index on.
namespace {
void PushRun(double* history, int taps, int& write, const double* samples, int count)
{
    const int skip = count > taps ? count - taps : 0;
    write = (write + skip % taps) % taps;
    for (int i = skip; i < count; ++i) {
        history[write] = samples[i];
        history[write + taps] = samples[i];
        if (++write == taps)
            write = 0;
    }
}
} // namespace

void UpDownSampler::PushUpRun(const double* samples, int count)
{
    PushRun(upHistory.get(), upTaps, upWrite, samples, count);
}

void UpDownSampler::PushDownRun(const double* samples, int count)
{
    PushRun(downHistory.get(), downTaps, downWrite, samples, count);
}
