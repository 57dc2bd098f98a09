// libFuzzer target: arbitrary parameter traffic into the controller, its
// published coefficients driving the kernel.
//
// The bytes pick a supported sample rate, then a list of operations, each
// with its argument: a flag, any index, or a value from the fuzzers' picker
// (NaN, infinities and huge values among them). Every published value must
// be finite, and every block of bounded input must give finite output: a
// crash, a sanitizer report or an abort is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/anyvalue.h"
#include "tests/support/vx9testpack.h"

namespace {

constexpr float kRates[] = {11025.0f, 22050.0f, 44100.0f,  44100.7f,  48000.0f,  51000.0f,
                            51001.0f, 96000.0f, 102000.0f, 176400.0f, 192000.0f, 204000.0f};
constexpr std::uint32_t kFrames = 64;

struct Rig {
    explicit Rig(float rate) : controller(rate), machine(rate, kFrames)
    {
        Require(machine.setupResult.code == 0);
        controller.voice(kRetro, kNormal, 0.5, 5.0);
        deliver();
        Require(machine.reset().code == 0);
    }

    // Copies what the blocks were told into the kernel's pack. The kernel's
    // running gated gain is kept unless the gate restarted.
    void deliver()
    {
        const RecordingFactory& f = controller.factory;
        VX9TestPack& t = machine.t;
        const double gated = t.coeffs.gatedPostDistortionGain;
        Deliver(f, t);
        if (std::find(f.log.begin(), f.log.end(), "VX9CoeffsT.gatedPostDistortionGain") ==
            f.log.end())
            t.coeffs.gatedPostDistortionGain = gated;
        RequireFinite<double>(&t.gains, 5);
        RequireFinite<double>(&t.coeffs, 23);
        RequireFinite<double>(&t.atomic, 9);
        RequireFinite<float>(&t.atomic.noiseCoeffs, 5);
        RequireFinite<float>(&t.atomic.noiseCoeffs2, 5);
        RequireFinite<float>(&t.comb, sizeof t.comb / sizeof(float));
        controller.factory.log.clear();
    }

    void block(std::uint64_t seed)
    {
        std::vector<float> audio = TestNoise(kFrames, 1.0f, seed);
        machine.block(audio.data(), audio.data(), kFrames);
        RequireFinite<float>(audio.data(), kFrames);
    }

    VX9ControllerRig controller;
    VX9TestMachine machine;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    Rig rig(in.PickValueInArray(kRates));
    IIVX9Controller& ops = rig.controller.ops();
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 11)) {
        case 0: ops.setBypassed(in.ConsumeBool()); break;
        case 1: ops.setTone(in.ConsumeIntegral<std::uint32_t>()); break;
        case 2: ops.setMode(in.ConsumeIntegral<std::uint32_t>()); break;
        case 3: ops.setDelayTime(AnyValue<double>(in)); break;
        case 4: ops.setFeedback(AnyValue<double>(in)); break;
        case 5: ops.setInput(AnyValue<double>(in)); break;
        case 6: ops.setBlend(AnyValue<double>(in)); break;
        case 7: ops.setOutput(AnyValue<double>(in)); break;
        case 8: ops.setTimeGlide(in.ConsumeBool()); break;
        case 9: ops.restartGate(in.ConsumeBool()); break;
        case 10: rig.controller.framework().Reset(); break;
        default:
            rig.deliver();
            rig.block(in.ConsumeIntegral<std::uint64_t>());
            break;
        }
    }
    rig.deliver();
    rig.block(size);
    return 0;
}
