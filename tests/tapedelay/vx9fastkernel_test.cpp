// The batched kernels against the plain one: every output sample, both
// meters and the whole state a block leaves behind (once settled) must be
// bit-identical, whatever the coefficients, input, rate and block sizes.
// Also: how set-up chooses a kernel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "tests/support/vx9testpack.h"

namespace {

constexpr std::size_t kMaxBlock = 4096;

// The plain kernel, then every batched one this processor runs.
std::vector<VX9Kernel> Kernels()
{
    std::vector<VX9Kernel> kernels = {VX9Kernel::kPlain};
    for (const VX9Kernel k : {VX9Kernel::kBaseline, VX9Kernel::kAvx2, VX9Kernel::kAvx512})
        if (KernelRuns(k))
            kernels.push_back(k);
    return kernels;
}

template <class T>
bool SameBits(const T* a, const T* b, std::int64_t count = 1)
{
    return std::memcmp(a, b, static_cast<std::size_t>(count) * sizeof(T)) == 0;
}

// Every state field a block moves, and the glide it writes back, once the
// batched kernel has finished what it left to the next block.
void ExpectSameState(const VX9TestMachine& plain, VX9TestMachine& fast)
{
    fast.algorithm->Settle();
    const VX9Algorithm& a = *plain.algorithm;
    const VX9Algorithm& b = *fast.algorithm;
    EXPECT_TRUE(SameBits(&a.headMotion, &b.headMotion));
    EXPECT_TRUE(SameBits(&a.toneLimiter, &b.toneLimiter));
    EXPECT_TRUE(SameBits(&a.splitter, &b.splitter));
    EXPECT_TRUE(SameBits(&a.tapeWriter, &b.tapeWriter));
    EXPECT_TRUE(
        SameBits(&plain.t.coeffs.gatedPostDistortionGain, &fast.t.coeffs.gatedPostDistortionGain));
    EXPECT_EQ(a.tapeWrite, b.tapeWrite);
    EXPECT_EQ(a.combWrite, b.combWrite);
    EXPECT_TRUE(SameBits(a.tape.get(), b.tape.get(), a.tapeLength));
    EXPECT_TRUE(SameBits(a.combRing.get(), b.combRing.get(), 2 * a.combRingLength));
    EXPECT_TRUE(SameBits(a.resampler.UpWindow(), b.resampler.UpWindow(), a.resampler.UpTaps()));
    EXPECT_TRUE(
        SameBits(a.resampler.DownWindow(), b.resampler.DownWindow(), a.resampler.DownTaps()));
}

// One machine per kernel, fed the same blocks, coefficients and meters.
struct KernelRace {
    KernelRace(float rate, std::uint32_t seed) : rate(rate), rig(rate), rng(seed)
    {
        for (const VX9Kernel k : Kernels()) {
            machines.push_back(std::make_unique<VX9TestMachine>(rate, kMaxBlock));
            machines.back()->algorithm->SelectKernel(k);
        }
    }

    double uniform(double low, double high)
    {
        return std::uniform_real_distribution<double>(low, high)(rng);
    }

    // A controller voicing, delivered to every machine.
    void voice(std::uint32_t mode, std::uint32_t tone, double delay, double feedback)
    {
        rig.voice(mode, tone, delay, feedback);
        for (auto& m : machines)
            Deliver(rig.factory, m->t);
    }

    // Every coefficient the kernel only reads, scaled at random (the head's
    // place, its glide, the gated gain and the band splitter's tuning stay
    // as voiced, so that the tape's indices and the filters stay in their
    // ranges), and a random comb table whose tap distance stays inside the
    // ring.
    void scramble()
    {
        VX9Coeffs c = machines.front()->t.coeffs;
        double values[sizeof c / sizeof(double)];
        std::memcpy(values, &c, sizeof c);
        for (double& v : values)
            v *= uniform(0.0, 2.0);
        std::memcpy(&c, values, sizeof c);
        c.lpA = std::min(c.lpA, 1.0);
        c.noiseA = std::min(c.noiseA, 1.0);
        VX9AtomicCoeffs f = machines.front()->t.atomic;
        f.crankC *= uniform(0.0, 2.0);
        f.crank1C *= uniform(0.0, 2.0);
        f.quantize = std::ldexp(1.0, static_cast<int>(uniform(4.0, 24.0)));
        f.iquantize = 1.0 / f.quantize;
        VX9CombTable comb{};
        const double ring = machines.front()->algorithm->combRingLength;
        for (int e = 0; e < VX9CombTable::kEntries; ++e) {
            comb.rows[VX9CombTable::kTapDistance][e] = static_cast<float>(uniform(0.0, ring - 16));
            comb.rows[VX9CombTable::kGain][e] = static_cast<float>(uniform(0.0, 2.0));
            comb.rows[VX9CombTable::kLowMultiplier][e] = static_cast<float>(uniform(0.0, 3.0));
        }
        for (auto& m : machines) {
            c.phase = m->t.coeffs.phase;
            c.phaseRate = m->t.coeffs.phaseRate;
            c.gatedPostDistortionGain = m->t.coeffs.gatedPostDistortionGain;
            m->t.coeffs = c;
            m->t.atomic = f;
            m->t.comb = comb;
        }
    }

    // The controller's gate restart, as after a mode change.
    void restartGate()
    {
        for (auto& m : machines)
            m->t.coeffs.gatedPostDistortionGain = 0.0;
    }

    // A new delay: the head glides there (or jumps, with a fast glide).
    void moveHead(double delay, double glide)
    {
        rig.ops().setDelayTime(delay);
        for (auto& m : machines) {
            m->t.coeffs.phase = rig.factory.coeffs().phase;
            m->t.coeffs.phaseRate = glide;
        }
    }

    // A block of `frames` with gains that wander from sample to sample and
    // input that may hold non-finite or huge values, run with the output
    // apart from the input, on it (as hosts often run), or one sample after
    // it, so that each output overwrites the next input before it is read.
    // The states are compared after some blocks only, so that most blocks
    // start with what the one before left.
    void block(std::size_t frames, bool hostile)
    {
        VX9TestPack& first = machines.front()->t;
        VX9SmoothedCoeffs g = first.gains;
        for (std::size_t k = 0; k <= frames; ++k) {
            g.wetGain = std::fabs(g.wetGain + uniform(-0.01, 0.01));
            g.feedbackGain = std::fabs(g.feedbackGain + uniform(-0.01, 0.011));
            g.inputGain = std::fabs(g.inputGain + uniform(-0.02, 0.02));
            first.smoothed[k] = g;
        }
        std::vector<float> input(frames);
        const double level = uniform(0.0, 2.0);
        for (float& x : input)
            x = static_cast<float>(uniform(-level, level));
        if (hostile && frames > 3) {
            input[frames / 3] = std::nanf("");
            input[frames / 2] = -INFINITY;
            input[frames - 1] = 1e30f;
        }
        for (auto& m : machines)
            std::copy(first.smoothed.begin(), first.smoothed.begin() + frames + 1,
                      m->t.smoothed.begin());

        const auto layout = static_cast<int>(uniform(0.0, 3.0));
        // Now and then the batched machines take a block through the plain
        // kernel: switching kernels settles the one left.
        const bool detour = uniform(0.0, 1.0) < 0.1;
        const auto run = [&](VX9TestMachine& m) {
            std::vector<float> buffer(2 * frames + 1);
            std::copy(input.begin(), input.end(), buffer.begin());
            const std::size_t offsets[] = {frames + 1, 0, 1};
            float* out = buffer.data() + offsets[layout];
            const VX9Kernel kernel = m.algorithm->kernel;
            if (detour)
                m.algorithm->SelectKernel(VX9Kernel::kPlain);
            m.block(buffer.data(), out, static_cast<std::uint32_t>(frames));
            if (detour)
                m.algorithm->SelectKernel(kernel);
            return std::vector<float>(out, out + frames);
        };
        const std::vector<float> expected = run(*machines.front());
        for (std::size_t i = 1; i < machines.size(); ++i) {
            VX9TestMachine& m = *machines[i];
            const std::vector<float> output = run(m);
            const char* name = KernelName(m.algorithm->kernel);
            ASSERT_TRUE(SameBits(expected.data(), output.data(), frames))
                << name << " at " << rate << " Hz, block of " << frames << ", layout " << layout;
            ASSERT_TRUE(SameBits(machines.front()->meters, m.meters, 2)) << name;
        }
        if (uniform(0.0, 1.0) < 0.3)
            compareStates();
        if (uniform(0.0, 1.0) < 0.2)
            for (auto& m : machines)
                m->meters[0] = m->meters[1] = 0.0f;
    }

    void compareStates()
    {
        for (std::size_t i = 1; i < machines.size(); ++i)
            ExpectSameState(*machines.front(), *machines[i]);
    }

    float rate;
    VX9ControllerRig rig;
    std::mt19937 rng;
    std::vector<std::unique_ptr<VX9TestMachine>> machines;
};

// Block sizes from 1 to 4096, mostly awkward ones.
std::size_t BlockSize(KernelRace& race)
{
    const double u = race.uniform(0.0, 1.0);
    const double longest = u < 0.3 ? 16.0 : u < 0.9 ? 700.0 : kMaxBlock - 1.0;
    return 1 + static_cast<std::size_t>(race.uniform(0.0, longest));
}

TEST(VX9FastKernel, EqualsThePlainKernelBitForBit)
{
    ASSERT_GT(Kernels().size(), 1u);
    for (const VX9Kernel k : Kernels())
        std::printf("racing the %s kernel\n", KernelName(k));
    // Every rate bracket, its edges, and the lowest rate, where the shortest
    // delay leaves the head closest to the write index.
    const float rates[] = {11025.0f, 44100.0f,  48000.0f,  51000.0f, 51001.0f,
                           96000.0f, 102001.0f, 192000.0f, 204000.0f};
    std::uint32_t seed = 1;
    for (const float rate : rates) {
        KernelRace race(rate, seed++);
        for (int voicing = 0; voicing < 3; ++voicing) {
            const auto mode = static_cast<std::uint32_t>(race.uniform(0.0, 3.0));
            const auto tone = static_cast<std::uint32_t>(race.uniform(0.0, 3.0));
            // The first voicing starts the head at the shortest delay, as
            // close to the write index as it gets: chunks end early there.
            const double delay = voicing == 0 ? 0.005 : race.uniform(0.005, 2.0);
            race.voice(mode, tone, delay, race.uniform(1.0, 9.0));
            if (voicing == 2)
                race.scramble();
            for (auto& m : race.machines)
                ASSERT_EQ(m->reset().code, 0);
            // Between blocks, the coefficients may change under the samples
            // a batched kernel left to the next block.
            for (int b = 0; b < 40 && !testing::Test::HasFatalFailure(); ++b) {
                const double change = race.uniform(0.0, 1.0);
                if (change < 0.25)
                    race.moveHead(race.uniform(0.0, 1.0) < 0.3 ? 0.005 : race.uniform(0.005, 2.0),
                                  race.uniform(0.0, 1.0) < 0.3 ? 1.0 : race.uniform(1e-5, 0.01));
                else if (change < 0.35 && voicing == 2)
                    race.scramble();
                else if (change < 0.4)
                    race.restartGate();
                else if (change < 0.45)
                    race.voice(mode, (tone + 1) % 3, race.uniform(0.005, 2.0), 9.0);
                race.block(BlockSize(race), b % 7 == 3);
            }
            race.compareStates();
        }
    }
}

// Sets or clears an environment variable of this process.
void SetVariable(const char* name, const char* value)
{
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

TEST(VX9FastKernel, SetUpChoosesTheWidestKernelUnlessTheEnvironmentAsks)
{
    const VX9Kernel widest = ChooseKernel(nullptr);
    EXPECT_NE(widest, VX9Kernel::kPlain);
    EXPECT_TRUE(KernelRuns(widest));
    EXPECT_EQ(ChooseKernel("no such kernel"), widest);
    EXPECT_EQ(ChooseKernel("plain"), VX9Kernel::kPlain);
    EXPECT_EQ(ChooseKernel("baseline"), VX9Kernel::kBaseline);
    EXPECT_EQ(ChooseKernel("avx512"), KernelRuns(VX9Kernel::kAvx512) ? VX9Kernel::kAvx512 : widest);

    SetVariable(kVX9KernelVariable, "plain");
    VX9TestMachine plain(48000.0f, 64);
    SetVariable(kVX9KernelVariable, "baseline");
    VX9TestMachine baseline(48000.0f, 64);
    SetVariable(kVX9KernelVariable, nullptr);
    VX9TestMachine chosen(48000.0f, 64);
    EXPECT_EQ(plain.algorithm->kernel, VX9Kernel::kPlain);
    EXPECT_EQ(baseline.algorithm->kernel, VX9Kernel::kBaseline);
    EXPECT_EQ(chosen.algorithm->kernel, widest);
}

} // namespace
