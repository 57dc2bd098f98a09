// Coefficients delivered the way a wrapper delivers them (one smoothed record
// per sample plus one, and the three other areas), an algorithm driven
// through its process callback, and voicings taken from the real controller.
// Shared by the kernel tests, the benchmark and the fuzz target.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "tapedelay/source/kernel/vx9kernelsteps.h"
#include "tapedelay/source/vx9algorithm.h"
#include "tapedelay/source/vx9coeffs.h"
#include "tapedelay/source/vx9tape.h"
#include "tests/support/recordingfactory.h"

struct VX9TestPack {
    explicit VX9TestPack(std::size_t maxFrames) : smoothed(maxFrames + 1) {}

    // Copies `gains` into every per-sample record.
    void publishGains() { std::fill(smoothed.begin(), smoothed.end(), gains); }

    HuxCoeffHandle& handle()
    {
        pack = {smoothed.data(), &coeffs, &atomic, &comb};
        handlePointer = &pack;
        return handlePointer;
    }

    VX9SmoothedCoeffs gains{};
    std::vector<VX9SmoothedCoeffs> smoothed;
    VX9Coeffs coeffs{};
    VX9AtomicCoeffs atomic{};
    VX9CombTable comb{};
    VX9CoeffPack pack{};
    HuxCoeffHandle handlePointer = nullptr;
};

// Copies what the controller's blocks were told into the pack.
inline void Deliver(const RecordingFactory& f, VX9TestPack& t)
{
    t.gains = f.smoothed();
    t.publishGains();
    t.coeffs = f.coeffs();
    t.atomic = f.atomic();
    t.comb = f.comb();
}

// Voices `t` with what a controller set up at `rate` publishes for the mode,
// tone, delay (seconds) and feedback dial, the other dials at 5. The gated
// gain is open, as once the fade-in after the mode change is over.
inline void VoiceFromController(VX9TestPack& t, float rate, std::uint32_t mode, std::uint32_t tone,
                                double delaySeconds, double feedback)
{
    VX9ControllerRig rig(rate);
    rig.voice(mode, tone, delaySeconds, feedback);
    Deliver(rig.factory, t);
    t.coeffs.gatedPostDistortionGain = t.coeffs.postDistortionGain;
}

// An algorithm set up at `rate` with a pack of its own, driven the way a
// wrapper drives it: through its process callback, one channel.
struct VX9TestMachine {
    VX9TestMachine(float rate, std::size_t maxFrames)
        : maxFrames(maxFrames),
          algorithm(new VX9Algorithm()),
          t(maxFrames)
    {
        setupResult = algorithm->Setup(HuxSetup{0.0, rate});
    }

    KtResult reset() { return algorithm->Reset(t.handle()); }

    // One block of `frames`; in and out may be the same buffer.
    void block(const float* in, float* out, std::uint32_t frames)
    {
        const HuxProcessCallback callback = algorithm->GetProcessCallback();
        callback.function(callback.context, 0, frames, 0, &in, 0, &out, t.handle(), meters);
    }

    // Runs `audio` through in place, in blocks of at most `frames`.
    std::vector<float> run(std::vector<float> audio, std::size_t frames = 0)
    {
        frames = frames == 0 ? maxFrames : frames;
        for (std::size_t at = 0; at < audio.size(); at += frames) {
            const auto n = static_cast<std::uint32_t>(std::min(frames, audio.size() - at));
            block(audio.data() + at, audio.data() + at, n);
        }
        return audio;
    }

    std::size_t maxFrames;
    std::unique_ptr<VX9Algorithm> algorithm;
    VX9TestPack t;
    KtResult setupResult;
    float meters[2] = {0.0f, 0.0f};
};

// Deterministic noise, uniform in [-level, level).
inline std::vector<float> TestNoise(std::size_t n, float level, std::uint64_t seed = 1)
{
    std::vector<float> out(n);
    for (float& x : out) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        x = static_cast<float>(static_cast<std::int32_t>(seed >> 32)) * 0x1p-31f * level;
    }
    return out;
}

// Samples from input to output: the head's distance behind the write index
// plus the record chain (the comb's window half plus trunc(tap distance),
// then the resampler's 24 - (factor - 1) / factor, truncated).
inline int PassLatency(const VX9Algorithm& algorithm, const VX9Coeffs& c, const VX9CombTable& comb)
{
    const double head = algorithm.tapeLength - VX9Tape::kCentreTap - c.phase / 512.0;
    const int resampler =
        static_cast<int>(24.0 - (algorithm.oversampling - 1.0) / algorithm.oversampling);
    const double distance = VX9Steps::LookUpComb(comb, algorithm.combScale, c.phase).tapDistance;
    return static_cast<int>(head) + VX9Tape::kWindowHalf + VX9Steps::SplitCombTap(distance).whole +
           resampler;
}
