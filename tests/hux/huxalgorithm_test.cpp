#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "hux/public/plugin/hux.h"

namespace {

enum class Failure { none, ktException, ktResult, standard, other };

// A product algorithm whose hooks fail on request and whose block routine
// records its arguments.
struct ProbeAlgorithm final : HuxAlgorithm<ProbeAlgorithm> {
    Failure setupFailure = Failure::none;
    Failure resetFailure = Failure::none;
    HuxCoeffHandle resetHandle = nullptr;

    struct BlockCall {
        std::uint64_t reserved1 = 0;
        std::uint32_t frameCount = 0;
        std::uint64_t reserved2 = 0;
        const float* const* inputs = nullptr;
        std::int32_t reserved3 = 0;
        float* const* outputs = nullptr;
        HuxCoeffHandle coeffs = nullptr;
        int count = 0;
    } block;

    static void Raise(Failure failure)
    {
        switch (failure) {
        case Failure::none: return;
        case Failure::ktException:
            throw KtException("product hook failed", "tapedelay/source/probe", 77);
        case Failure::ktResult: {
            KtResult result;
            result.file = "probe";
            result.line = 9;
            result.code = 1234;
            result.setMessage("plain record");
            throw result;
        }
        case Failure::standard: throw std::runtime_error("unrecognized sample rate");
        case Failure::other: throw 42;
        }
    }

    ProcessMember SetupAlgorithm(const HuxSetup&) override
    {
        Raise(setupFailure);
        return &ProbeAlgorithm::Block;
    }

    void ResetAlgorithm(HuxCoeffHandle& coeffs) override
    {
        resetHandle = coeffs;
        Raise(resetFailure);
    }

    void Block(std::uint64_t reserved1, std::uint32_t frameCount, std::uint64_t reserved2,
               const float* const* inputs, std::int32_t reserved3, float* const* outputs,
               HuxCoeffHandle& coeffs)
    {
        block = {reserved1, frameCount, reserved2, inputs,
                 reserved3, outputs,    coeffs,    block.count + 1};
        coeffs = nullptr; // must not reach the caller's handle
    }

    bool hasProcessMember() const { return processMember != nullptr; }
    const float* meters() const { return meterOutput; }
    ReductionMeterFilter& filter(int i) { return meterFilters[i]; }
};

void ExpectSuccess(const KtResult& result)
{
    EXPECT_EQ(result.file, nullptr);
    EXPECT_EQ(result.line, 0u);
    EXPECT_EQ(result.code, 0);
    EXPECT_STREQ(result.message, "");
}

void ExpectFrameworkFailure(const KtResult& result, std::uint32_t line)
{
    ASSERT_NE(result.file, nullptr);
    EXPECT_STREQ(result.file, "hux/public/plugin/hux");
    EXPECT_EQ(result.line, line);
    EXPECT_EQ(result.code, -1);
    EXPECT_STREQ(result.message, "algorithm setup failed");
}

TEST(HuxAlgorithm, SetupStoresTheBlockRoutine)
{
    ProbeAlgorithm probe;
    IIHux::Algorithm& algorithm = probe;
    EXPECT_FALSE(probe.hasProcessMember());
    ExpectSuccess(algorithm.Setup(HuxSetup{0.0, 48000.0f}));
    EXPECT_TRUE(probe.hasProcessMember());
}

TEST(HuxAlgorithm, SetupFailuresBecomeRecords)
{
    for (const Failure failure : {Failure::standard, Failure::other}) {
        ProbeAlgorithm probe;
        probe.setupFailure = failure;
        IIHux::Algorithm& algorithm = probe;
        ExpectFrameworkFailure(algorithm.Setup(HuxSetup{0.0, 250000.0f}), 572);
        EXPECT_FALSE(probe.hasProcessMember());
        // The meter filters are configured all the same.
        EXPECT_EQ(probe.filter(0).sampleRate, 250000.0f);
        EXPECT_GT(probe.filter(7).input, 0.0);
    }

    ProbeAlgorithm probe;
    probe.setupFailure = Failure::ktException;
    const KtResult thrown = static_cast<IIHux::Algorithm&>(probe).Setup(HuxSetup{});
    const KtException expected("product hook failed", "tapedelay/source/probe", 77);
    EXPECT_EQ(thrown.file, expected.file);
    EXPECT_EQ(thrown.line, 77u);
    EXPECT_EQ(thrown.code, -1);
    EXPECT_STREQ(thrown.message, expected.message);

    probe.setupFailure = Failure::ktResult;
    const KtResult plain = static_cast<IIHux::Algorithm&>(probe).Setup(HuxSetup{});
    EXPECT_STREQ(plain.file, "probe");
    EXPECT_EQ(plain.line, 9u);
    EXPECT_EQ(plain.code, 1234);
    EXPECT_STREQ(plain.message, "plain record");
}

TEST(HuxAlgorithm, FailedSetupKeepsThePreviousRoutine)
{
    ProbeAlgorithm probe;
    IIHux::Algorithm& algorithm = probe;
    ExpectSuccess(algorithm.Setup(HuxSetup{0.0, 44100.0f}));
    probe.setupFailure = Failure::standard;
    ExpectFrameworkFailure(algorithm.Setup(HuxSetup{0.0, 1.0e6f}), 572);
    EXPECT_TRUE(probe.hasProcessMember());
}

// A 1 Hz one-pole: the pole is close to exp(-2 pi / rate).
TEST(HuxAlgorithm, MeterFiltersAreOneHertzSmoothers)
{
    // A rate of 0 is configured as 44100 Hz but stored as it came.
    ProbeAlgorithm zero;
    ProbeAlgorithm standard;
    static_cast<IIHux::Algorithm&>(zero).Setup(HuxSetup{0.0, 0.0f});
    static_cast<IIHux::Algorithm&>(standard).Setup(HuxSetup{0.0, 44100.0f});
    EXPECT_EQ(zero.filter(3).sampleRate, 0.0f);
    EXPECT_EQ(zero.filter(3).input, standard.filter(3).input);
    EXPECT_EQ(zero.filter(3).feedback, standard.filter(3).feedback);

    for (const float rate : {22050.0f, 44100.0f, 48000.0f, 192000.0f}) {
        ProbeAlgorithm probe;
        ExpectSuccess(static_cast<IIHux::Algorithm&>(probe).Setup(HuxSetup{0.0, rate}));
        const double w = 2.0 * 3.141592653589793 / rate;
        for (int i = 0; i < ProbeAlgorithm::kMeterFilterCount; ++i) {
            const ReductionMeterFilter& filter = probe.filter(i);
            EXPECT_EQ(filter.sampleRate, rate);
            EXPECT_EQ(filter.feedback, 1.0 - filter.input);
            // cancellation in b - sqrt(b * b - 1) costs about 1e-16 / w
            EXPECT_NEAR(filter.feedback, std::exp(-w), w * w * w + 1e-16 / w) << rate;
            EXPECT_EQ(filter.state, 0.0); // set-up leaves the state alone
        }
    }
}

TEST(HuxAlgorithm, ResetPassesTheHandleAndAlwaysResetsTheMeters)
{
    int coefficients = 0;
    for (const Failure failure : {Failure::none, Failure::standard, Failure::ktException}) {
        ProbeAlgorithm probe;
        IIHux::Algorithm& algorithm = probe;
        algorithm.Setup(HuxSetup{0.0, 48000.0f});
        probe.resetFailure = failure;
        const KtResult result = algorithm.Reset(&coefficients);
        EXPECT_EQ(probe.resetHandle, &coefficients);
        if (failure == Failure::none)
            ExpectSuccess(result);
        else if (failure == Failure::standard)
            ExpectFrameworkFailure(result, 603);
        else
            EXPECT_EQ(result.line, 77u);
        for (int i = 0; i < ProbeAlgorithm::kMeterFilterCount; ++i)
            EXPECT_EQ(probe.filter(i).state, 1.0);
    }
}

TEST(HuxAlgorithm, CallbackForwardsEveryArgumentInPlace)
{
    ProbeAlgorithm probe;
    IIHux::Algorithm& algorithm = probe;
    algorithm.Setup(HuxSetup{0.0, 48000.0f});
    const HuxProcessCallback callback = algorithm.GetProcessCallback();
    EXPECT_EQ(callback.function, &ProbeAlgorithm::ProcessThunk);
    EXPECT_EQ(callback.context, static_cast<void*>(&probe));
    const HuxProcessCallback again = algorithm.GetProcessCallback();
    EXPECT_EQ(again.function, callback.function);
    EXPECT_EQ(again.context, callback.context);

    float in[4] = {};
    float out[4] = {};
    const float* inputs[] = {in};
    float* outputs[] = {out};
    float meters[2] = {};
    int coefficients = 0;
    HuxCoeffHandle handle = &coefficients;
    callback.function(callback.context, 0x1122334455667788u, 4, 0x99AABBCCDDEEFF00u, inputs, -5,
                      outputs, handle, meters);
    EXPECT_EQ(probe.block.count, 1);
    EXPECT_EQ(probe.block.reserved1, 0x1122334455667788u);
    EXPECT_EQ(probe.block.frameCount, 4u);
    EXPECT_EQ(probe.block.reserved2, 0x99AABBCCDDEEFF00u);
    EXPECT_EQ(probe.block.inputs, inputs);
    EXPECT_EQ(probe.block.reserved3, -5);
    EXPECT_EQ(probe.block.outputs, outputs);
    EXPECT_EQ(probe.block.coeffs, &coefficients);
    EXPECT_EQ(handle, &coefficients); // the routine wrote to the thunk's copy
    EXPECT_EQ(probe.meters(), meters);

    // An empty block still replaces the meter array.
    float otherMeters[2] = {};
    callback.function(callback.context, 0, 0, 0, inputs, 0, outputs, handle, otherMeters);
    EXPECT_EQ(probe.block.frameCount, 0u);
    EXPECT_EQ(probe.meters(), otherMeters);
}

} // namespace
