// The algorithm base: set-up and reset failures as result records, the meter
// filters it configures, and the block callback.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <tuple>

#include "hux/public/plugin/hux.h"

namespace {

enum class Failure { none, ktException, ktResult, standard, other };

// A product algorithm whose hooks fail on request and whose block routine
// records its arguments.
struct ProbeAlgorithm final : HuxAlgorithm<ProbeAlgorithm> {
    Failure setupFailure = Failure::none;
    Failure resetFailure = Failure::none;
    HuxCoeffHandle resetHandle = nullptr;

    using BlockCall = std::tuple<std::uint64_t, std::uint32_t, std::uint64_t, const float* const*,
                                 std::int32_t, float* const*, HuxCoeffHandle>;
    BlockCall block{};

    static void Raise(Failure failure)
    {
        KtResult record;
        switch (failure) {
        case Failure::none: return;
        case Failure::ktException:
            throw KtException("product hook failed", "tapedelay/source/probe", 77);
        case Failure::ktResult:
            record.file = "probe";
            record.line = 9;
            record.code = 1234;
            record.setMessage("plain record");
            throw record;
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
        block = {reserved1, frameCount, reserved2, inputs, reserved3, outputs, coeffs};
        coeffs = nullptr; // must not reach the caller's handle
    }

    bool hasProcessMember() const { return processMember != nullptr; }
    const float* meters() const { return meterOutput; }
    ReductionMeterFilter& filter(int i) { return meterFilters[i]; }
    KtResult setup(float rate) { return static_cast<IIHux::Algorithm&>(*this).Setup({0.0, rate}); }
};

// The record's fields; by default those of a success.
void ExpectRecord(const KtResult& result, const char* file = nullptr, std::uint32_t line = 0,
                  KtR code = 0, const char* message = "")
{
    EXPECT_STREQ(result.file, file);
    EXPECT_EQ(result.line, line);
    EXPECT_EQ(result.code, code);
    EXPECT_STREQ(result.message, message);
}

// What a failure other than a KtResult becomes.
void ExpectFrameworkFailure(const KtResult& result, std::uint32_t line)
{
    ExpectRecord(result, "hux/public/plugin/hux", line, -1, "algorithm setup failed");
}

TEST(HuxAlgorithm, SetupFailuresBecomeRecordsAndKeepThePreviousRoutine)
{
    for (const Failure failure : {Failure::standard, Failure::other}) {
        ProbeAlgorithm probe;
        probe.setupFailure = failure;
        ExpectFrameworkFailure(probe.setup(250000.0f), 572);
        EXPECT_FALSE(probe.hasProcessMember());
        // The meter filters are configured all the same.
        EXPECT_EQ(probe.filter(0).sampleRate, 250000.0f);
        EXPECT_GT(probe.filter(7).input, 0.0);
        // A set-up that succeeds stores the block routine; a failure after it keeps it.
        probe.setupFailure = Failure::none;
        ExpectRecord(probe.setup(44100.0f));
        EXPECT_TRUE(probe.hasProcessMember());
        probe.setupFailure = failure;
        ExpectFrameworkFailure(probe.setup(1.0e6f), 572);
        EXPECT_TRUE(probe.hasProcessMember());
    }

    // A thrown record comes back field for field.
    ProbeAlgorithm probe;
    probe.setupFailure = Failure::ktException;
    ExpectRecord(probe.setup(48000.0f), "tapedelay/source/probe", 77, -1,
                 "product hook failed @ tapedelay/source/probe:77");
    probe.setupFailure = Failure::ktResult;
    ExpectRecord(probe.setup(48000.0f), "probe", 9, 1234, "plain record");
}

// A 1 Hz one-pole: the pole is close to exp(-2 pi / rate).
TEST(HuxAlgorithm, MeterFiltersAreOneHertzSmoothers)
{
    // A rate of 0 is configured as 44100 Hz but stored as it came.
    ProbeAlgorithm zero;
    ProbeAlgorithm standard;
    zero.setup(0.0f);
    standard.setup(44100.0f);
    EXPECT_EQ(zero.filter(3).sampleRate, 0.0f);
    EXPECT_EQ(zero.filter(3).input, standard.filter(3).input);
    EXPECT_EQ(zero.filter(3).feedback, standard.filter(3).feedback);

    for (const float rate : {22050.0f, 44100.0f, 48000.0f, 192000.0f}) {
        ProbeAlgorithm probe;
        ExpectRecord(probe.setup(rate));
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
        probe.setup(48000.0f);
        probe.resetFailure = failure;
        const KtResult result = static_cast<IIHux::Algorithm&>(probe).Reset(&coefficients);
        EXPECT_EQ(probe.resetHandle, &coefficients);
        if (failure == Failure::none)
            ExpectRecord(result);
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
    probe.setup(48000.0f);
    IIHux::Algorithm& algorithm = probe;
    const HuxProcessCallback callback = algorithm.GetProcessCallback();
    EXPECT_EQ(callback.function, &ProbeAlgorithm::ProcessThunk);
    EXPECT_EQ(callback.context, static_cast<void*>(&probe));
    EXPECT_EQ(algorithm.GetProcessCallback().context, callback.context);

    float in[4] = {};
    float out[4] = {};
    const float* inputs[] = {in};
    float* outputs[] = {out};
    float meters[2] = {};
    int coefficients = 0;
    HuxCoeffHandle handle = &coefficients;
    callback.function(callback.context, 0x1122334455667788u, 4, 0x99AABBCCDDEEFF00u, inputs, -5,
                      outputs, handle, meters);
    EXPECT_EQ(probe.block, ProbeAlgorithm::BlockCall(0x1122334455667788u, 4, 0x99AABBCCDDEEFF00u,
                                                     inputs, -5, outputs, &coefficients));
    EXPECT_EQ(handle, &coefficients); // the routine wrote to the thunk's copy
    EXPECT_EQ(probe.meters(), meters);

    // An empty block still replaces the meter array.
    float otherMeters[2] = {};
    callback.function(callback.context, 0, 0, 0, inputs, 0, outputs, handle, otherMeters);
    EXPECT_EQ(std::get<1>(probe.block), 0u);
    EXPECT_EQ(probe.meters(), otherMeters);
}

} // namespace
