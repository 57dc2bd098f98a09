// One-pole filters and the gain-reduction meter smoother.
// Audio thread once configured: no allocation, no throw.
#pragma once

template <class Sample>
struct CFilterBase {
    virtual ~CFilterBase() = default;
    virtual Sample reset() = 0;
    virtual Sample process(Sample x) = 0;
};

template <class Sample>
struct CLowPassT : CFilterBase<Sample> {
    float sampleRate = 0.0f; // stored by the owner
    Sample state = 0;        // y
    Sample feedback = 0;     // a, the pole
    Sample input = 0;        // b

    Sample process(Sample x) override
    {
        state = feedback * state + input * x;
        return state;
    }
};

// A gain-reduction display value (1.0 = none): falls at once to a deeper
// reduction and recovers through the one-pole smoother.
struct ReductionMeterFilter : CLowPassT<double> {
    using CLowPassT<double>::process;

    double reset() override
    {
        state = 1.0;
        return state;
    }

    virtual double process(float reduction)
    {
        const double x = reduction;
        if (state > x)
            state = x;
        else
            state = feedback * state + input * x;
        return state;
    }
};
