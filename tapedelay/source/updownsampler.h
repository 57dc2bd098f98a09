// Raises a signal to `factor` times its rate and brings it back down, with
// windowed-sinc FIR filters designed at set-up. Both histories are mirrored
// (each sample stored twice, `taps` apart) so every dot product runs over
// contiguous memory without an index wrap.
//
// Init runs at set-up (may allocate and throw); the rest is audio thread.
#pragma once

#include <memory>

class UpDownSampler {
public:
    // Taps of each interpolation row; the decimator has kTaps * factor.
    static constexpr int kTaps = 24;

    UpDownSampler() = default;
    UpDownSampler(const UpDownSampler&) = delete;
    UpDownSampler& operator=(const UpDownSampler&) = delete;
    virtual ~UpDownSampler();

    // Builds new filters and zeroed histories for factor (>= 1); cutoff is
    // a fraction of the host-rate Nyquist frequency.
    void Init(int factor, double cutoff);
    // Zeroes both histories and write indices; the filters stay.
    void Reset();

    // Appends one host-rate sample.
    void PushUp(double x)
    {
        upHistory[upWrite] = x;
        upHistory[upWrite + upTaps] = x;
        if (++upWrite == upTaps)
            upWrite = 0;
    }

    // Oversampled sub-sample j (0 <= j < factor) of the current history.
    double Interpolate(int j) const
    {
        return Dot(upHistory.get() + upWrite, upCoeffs.get() + j * upTaps, 0, upTaps, 0.0);
    }

    // Appends one oversampled sample.
    void PushDown(double s)
    {
        downHistory[downWrite] = s;
        downHistory[downWrite + downTaps] = s;
        if (++downWrite == downTaps)
            downWrite = 0;
    }

    // One host-rate sample from the oversampled history.
    double Decimate() const
    {
        return Dot(downHistory.get() + downWrite, downCoeffs.get(), 0, downTaps, 0.0);
    }

    // Decimate split in two, with the same additions in the same order. The
    // first part, taken before the next `factor` pushes, sums the older
    // samples of the window those pushes complete, so that its long addition
    // chain overlaps the work that produces the pushed samples.
    double DecimateBegin() const
    {
        int start = downWrite + factor;
        if (start >= downTaps)
            start -= downTaps;
        return Dot(downHistory.get() + start, downCoeffs.get(), 0, downTaps - factor, 0.0);
    }

    // The second part, after the pushes: equals Decimate().
    double DecimateEnd(double partial) const
    {
        return Dot(downHistory.get() + downWrite, downCoeffs.get(), downTaps - factor, downTaps,
                   partial);
    }

    // The newest upTaps host-rate samples and the newest downTaps oversampled
    // samples, oldest first.
    const double* UpWindow() const { return upHistory.get() + upWrite; }
    const double* DownWindow() const { return downHistory.get() + downWrite; }

    // The rings as `count` PushUp or PushDown calls leave them; only the
    // last of those samples stay, so `last` holds just the final
    // min(count, UpTaps()) or min(count, DownTaps()) of them, oldest first.
    void PushUpRun(const double* last, int count);
    void PushDownRun(const double* last, int count);

    int Factor() const { return factor; }
    int UpTaps() const { return upTaps; }
    int DownTaps() const { return downTaps; }
    const double* UpCoeffs() const { return upCoeffs.get(); }
    const double* DownCoeffs() const { return downCoeffs.get(); }

private:
    // Summed in index order: the order is part of the result.
    static double Dot(const double* history, const double* coeffs, int from, int to, double sum)
    {
        for (int k = from; k < to; ++k)
            sum += history[k] * coeffs[k];
        return sum;
    }

    std::unique_ptr<double[]> upHistory;
    std::unique_ptr<double[]> downHistory;
    int upWrite = 0;
    int downWrite = 0;
    std::unique_ptr<double[]> upCoeffs;   // factor rows of upTaps
    std::unique_ptr<double[]> downCoeffs; // downTaps
    int upTaps = 0;
    int downTaps = 0;
    int factor = 0;
};
