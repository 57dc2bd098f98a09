// The CLAP plug-in's process() as a host calls it, mono, at the demo's dub
// voicing (as BM_Lv2Run and BM_Vst3Process), in blocks of the given length
// with an empty event queue; the host takes the output events.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "blockbench.h"
#include "host/product/parametercodes.h"
#include "tests/support/claprig.h"

namespace {

constexpr double kRate = 48000.0;

void BM_ClapProcess(benchmark::State& state)
{
    const auto frames = static_cast<std::uint32_t>(state.range(0));
    ClapRig rig;
    for (const auto& [code, plain] :
         {std::pair{kFeedback, 8.0}, {kNoteValue, 3.0}, {kDottedTriplet, 1.0}, {kTone, 1.0}})
        rig.change(FourCharacterCode(code), plain);
    rig.flush();
    if (!rig.activate(kRate, frames)) {
        state.SkipWithError("the plug-in did not activate");
        return;
    }

    float* inputs[1] = {};
    float* outputs[1] = {};
    const clap_audio_buffer_t in{inputs, nullptr, 1, 0, 0};
    clap_audio_buffer_t out{outputs, nullptr, 1, 0, 0};
    const clap_input_events_t none{
        nullptr, [](const clap_input_events_t*) -> std::uint32_t { return 0; },
        [](const clap_input_events_t*, std::uint32_t) -> const clap_event_header_t* {
            return nullptr;
        }};
    const clap_output_events_t taken{
        nullptr, [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
    clap_process_t process{};
    process.frames_count = frames;
    process.audio_inputs = &in;
    process.audio_outputs = &out;
    process.audio_inputs_count = process.audio_outputs_count = 1;
    process.in_events = &none;
    process.out_events = &taken;
    RunBlocks(state, kRate, frames, [&](const float* input, float* output, std::uint32_t) {
        inputs[0] = const_cast<float*>(input); // read only by the plug-in
        outputs[0] = output;
        if (rig.plugin->process(rig.plugin, &process) != CLAP_PROCESS_CONTINUE)
            std::abort();
    });
}

BENCHMARK(BM_ClapProcess)->Apply(HostBlockSizes);

} // namespace
