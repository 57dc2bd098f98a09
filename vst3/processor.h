// The VST3 audio processor: the tape delay's core run by the host's
// blocks, mono or stereo (a two-channel core), 32-bit float only.
//
// Threads: set-up, state and connection calls come from the host's main
// thread; process (and the core's run inside it) from its audio thread and
// never allocates, locks or makes a system call. The core is created in
// setupProcessing (or again in setActive after the buses changed), where
// allocation is allowed. State set while the processor is active reaches
// the audio thread through a StateHandoff.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "base/source/fobject.h"
#include "eventreader.h"
#include "host/effect/effect.h"
#include "host/effect/statehandoff.h"
#include "loadedproduct.h"
#include "ownwrites.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "public.sdk/source/vst/vstcomponent.h"

class TapeDelayProcessor : public Steinberg::Vst::Component,
                           public Steinberg::Vst::IAudioProcessor,
                           public Steinberg::Vst::IProcessContextRequirements {
public:
    explicit TapeDelayProcessor(std::shared_ptr<LoadedProduct> product);
    ~TapeDelayProcessor() override;

    using tresult = Steinberg::tresult;
    using int32 = Steinberg::int32;
    using uint32 = Steinberg::uint32;

    // IPluginBase, IConnectionPoint
    tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    tresult PLUGIN_API connect(Steinberg::Vst::IConnectionPoint* other) override;

    // IComponent
    tresult PLUGIN_API setActive(Steinberg::TBool state) override;
    tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
    tresult PLUGIN_API getState(Steinberg::IBStream* state) override;

    // IAudioProcessor
    tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, int32 numIns,
                                          Steinberg::Vst::SpeakerArrangement* outputs,
                                          int32 numOuts) override;
    tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, int32 index,
                                         Steinberg::Vst::SpeakerArrangement& arr) override;
    tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
    uint32 PLUGIN_API getLatencySamples() override { return 0; }
    uint32 PLUGIN_API getTailSamples() override { return Steinberg::Vst::kInfiniteTail; }
    tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    tresult PLUGIN_API setProcessing(Steinberg::TBool) override { return Steinberg::kResultOk; }
    tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;

    // IProcessContextRequirements
    uint32 PLUGIN_API getProcessContextRequirements() override { return kNeedTempo; }

    OBJ_METHODS(TapeDelayProcessor, Component)
    DEFINE_INTERFACES
    DEF_INTERFACE(IAudioProcessor)
    DEF_INTERFACE(IProcessContextRequirements)
    END_DEFINE_INTERFACES(Component)
    REFCOUNT_METHODS(Component)

private:
    // [main] allocates, no throw: a core for the set-up and the buses,
    // holding the values of the one before.
    bool createEffect();
    std::uint32_t channelCount();
    // [any] the parameters' values as getState saves them.
    void publishValues();
    // [audio] no allocation: the core's writes, the display values and the
    // meters as output changes at offset.
    void writeOutputs(Steinberg::Vst::IParameterChanges* outputs, int32 offset);
    void postOwnWrite(Steinberg::Vst::IParameterChanges* outputs, std::size_t index,
                      double normalised, int32 offset);

    std::shared_ptr<LoadedProduct> product;
    std::unique_ptr<Effect> effect;
    Steinberg::Vst::ProcessSetup processSetup{};
    bool hasSetup = false;
    std::atomic<bool> active{false};
    EventReader reader;
    Steinberg::IPtr<OwnWrites> ownWrites;
    StateHandoff handoff;
    std::unique_ptr<std::atomic<double>[]> published; // by host index
    std::uint64_t publishedRevision = 0;              // the core's, as publishValues saw it
    double meters[2] = {-1.0, -1.0};                  // as last sent, normalised
};
