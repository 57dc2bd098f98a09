#include "updownsampler.h"

#include <algorithm>
#include <cstring>

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

namespace {
// `count` pushes onto a mirrored ring of `taps`: the earlier samples only
// move the write index on; the kept ones go in at most two straight pieces,
// each into both halves of the mirror.
void PushRun(double* history, int taps, int& write, const double* last, int count)
{
    const int kept = count < taps ? count : taps;
    write = (write + (count - kept) % taps) % taps;
    for (int done = 0; done < kept;) {
        const int piece = std::min(kept - done, taps - write);
        const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(piece);
        std::memcpy(history + write, last + done, bytes);
        std::memcpy(history + write + taps, last + done, bytes);
        done += piece;
        write += piece;
        if (write == taps)
            write = 0;
    }
}
} // namespace

void UpDownSampler::PushUpRun(const double* last, int count)
{
    PushRun(upHistory.get(), upTaps, upWrite, last, count);
}

void UpDownSampler::PushDownRun(const double* last, int count)
{
    PushRun(downHistory.get(), downTaps, downWrite, last, count);
}
