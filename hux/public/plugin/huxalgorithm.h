// The audio side: IIHux::Algorithm and its base HuxAlgorithm<T>.
//
// Setup and Reset run on the wrapper's control thread, never during a block.
// The block entry is a plain function (ProcessThunk) plus the object; it
// forwards to the member function the product chose at set-up, so a block
// costs one indirect call and no virtual call. Audio thread: nothing on the
// block path allocates, locks or throws.
#pragma once

#include <cstdint>
#include <exception>
#include <sstream>

#include "core/ktresult.h"
#include "huxsetup.h"
#include "onepolerate.h"
#include "reductionmeterfilter.h"

// The block entry handed to the wrapper. The three reserved values are the
// wrapper's and are forwarded unchanged.
using HuxProcessFunction = void (*)(void* context, std::uint64_t reserved1,
                                    std::uint32_t frameCount, std::uint64_t reserved2,
                                    const float* const* inputs, std::int32_t reserved3,
                                    float* const* outputs, HuxCoeffHandle coeffs, float* meters);

struct HuxProcessCallback {
    HuxProcessFunction function = nullptr;
    void* context = nullptr;
};

namespace IIHux {
struct Algorithm {
    // [control thread] Allocates every buffer; a failure comes back as a record.
    virtual KtResult Setup(const HuxSetup& setup) = 0;
    // [control thread] Silences the machine; allocates nothing.
    virtual KtResult Reset(HuxCoeffHandle coeffs) = 0;
    // [control thread] The block entry, valid until the next Setup.
    virtual HuxProcessCallback GetProcessCallback() = 0;

protected:
    ~Algorithm() = default;
};
} // namespace IIHux

namespace Hux {
// The record a set-up or reset failure other than a KtResult becomes.
inline KtResult SetupFailure(std::uint32_t line)
{
    KtResult result;
    result.file = kHuxSource;
    result.line = line;
    result.code = -1;
    std::ostringstream text;
    text << "algorithm setup failed";
    result.setMessage(text.str().c_str());
    return result;
}

// Runs a product hook, turning whatever it throws into a result record.
template <class Hook>
KtResult RunGuarded(std::uint32_t failureLine, Hook&& hook)
{
    KtResult result = KtSuccess();
    try {
        hook();
    } catch (const KtResult& failure) {
        result = failure;
    } catch (...) {
        result = SetupFailure(failureLine);
    }
    return result;
}
} // namespace Hux

template <class T>
class HuxAlgorithm : public IIHux::Algorithm {
public:
    using ProcessMember = void (T::*)(std::uint64_t reserved1, std::uint32_t frameCount,
                                      std::uint64_t reserved2, const float* const* inputs,
                                      std::int32_t reserved3, float* const* outputs,
                                      HuxCoeffHandle& coeffs);

    static constexpr int kMeterFilterCount = 8;

    KtResult Setup(const HuxSetup& setup) override
    {
        KtResult result =
            Hux::RunGuarded(kHuxSetupFailedLine, [&] { processMember = SetupAlgorithm(setup); });
        configureMeterFilters(setup.sampleRate);
        return result;
    }

    KtResult Reset(HuxCoeffHandle coeffs) override
    {
        KtResult result = Hux::RunGuarded(kHuxResetFailedLine, [&] { ResetAlgorithm(coeffs); });
        for (ReductionMeterFilter& filter : meterFilters)
            filter.reset();
        return result;
    }

    HuxProcessCallback GetProcessCallback() override { return {&ProcessThunk, this}; }

    // The product's set-up: builds its buffers and returns its block routine.
    virtual ProcessMember SetupAlgorithm(const HuxSetup& setup) = 0;
    // The product's reset: clears all audio state.
    virtual void ResetAlgorithm(HuxCoeffHandle& coeffs) = 0;

    static void ProcessThunk(void* context, std::uint64_t reserved1, std::uint32_t frameCount,
                             std::uint64_t reserved2, const float* const* inputs,
                             std::int32_t reserved3, float* const* outputs, HuxCoeffHandle coeffs,
                             float* meters)
    {
        // context is the IIHux::Algorithm the callback was taken from.
        auto* self = static_cast<T*>(static_cast<HuxAlgorithm*>(context));
        self->meterOutput = meters;
        (self->*(self->processMember))(reserved1, frameCount, reserved2, inputs, reserved3, outputs,
                                       coeffs);
    }

protected:
    HuxAlgorithm() = default;
    ~HuxAlgorithm() = default;

    ProcessMember processMember = nullptr;
    float* meterOutput = nullptr; // the caller's meter array, set per block
    ReductionMeterFilter meterFilters[kMeterFilterCount];

private:
    // A 1 Hz one-pole smoother at the rate (44100 Hz standing in for 0).
    void configureMeterFilters(float sampleRate)
    {
        const double rate = sampleRate == 0.0f ? 44100.0 : static_cast<double>(sampleRate);
        const double gain = onePoleRate(1.0, rate);
        for (ReductionMeterFilter& filter : meterFilters) {
            filter.sampleRate = sampleRate;
            filter.input = gain;
            filter.feedback = 1.0 - gain;
        }
    }
};
