// The VST3 processor's process() as a host calls it, mono, at the demo's
// dub voicing (as BM_Lv2Run), in blocks of the given length; the host's
// part of each block is clearing its output changes.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "blockbench.h"
#include "host/product/parametercodes.h"
#include "tests/support/vst3rig.h"

namespace {

constexpr double kRate = 48000.0;

void BM_Vst3Process(benchmark::State& state)
{
    const auto frames = static_cast<Steinberg::int32>(state.range(0));
    Vst3Rig rig(kRate, frames);
    if (!rig.started) {
        state.SkipWithError("the processor did not start");
        return;
    }
    for (const auto& [code, plain] :
         {std::pair{kFeedback, 8.0}, {kNoteValue, 3.0}, {kDottedTriplet, 1.0}, {kTone, 1.0}}) {
        const std::size_t index = *rig.product->description.find(code);
        rig.change(FourCharacterCode(code), rig.product->scales[index].toNormalised(plain));
    }

    float* inputs[1] = {};
    float* outputs[1] = {};
    Steinberg::Vst::AudioBusBuffers in{}, out{};
    in.numChannels = out.numChannels = 1;
    in.channelBuffers32 = inputs;
    out.channelBuffers32 = outputs;
    Steinberg::Vst::ProcessData data;
    data.processMode = Steinberg::Vst::kRealtime;
    data.symbolicSampleSize = Steinberg::Vst::kSample32;
    data.numSamples = frames;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &in;
    data.outputs = &out;
    data.inputParameterChanges = &rig.changes;
    data.outputParameterChanges = &rig.outputs;
    data.processContext = &rig.context;
    RunBlocks(state, kRate, static_cast<std::uint32_t>(frames),
              [&](const float* input, float* output, std::uint32_t) {
                  inputs[0] = const_cast<float*>(input); // read only by the processor
                  outputs[0] = output;
                  if (rig.processor->process(data) != Steinberg::kResultOk)
                      std::abort();
                  rig.changes.clear();
                  rig.outputs.clear();
              });
}

BENCHMARK(BM_Vst3Process)->Apply(HostBlockSizes);

} // namespace
