// One instance of a module's audio effect, its component and controller,
// driven as a host drives them: created and initialised, connected, the
// controller given the component's state; then set up, activated and
// processing; and torn down in the reverse order.
#pragma once

#include <pluginterfaces/base/smartpointer.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <vector>

#include "vst3module.h"

// What a host stores of an instance: the component's and the controller's
// state bytes.
struct Vst3State {
    std::vector<char> component;
    std::vector<char> controller;
};

class Vst3Instance {
public:
    // [main] throws PluginFailure when the plug-in refuses a step.
    Vst3Instance(const Vst3Module& module, Steinberg::FUnknown* hostContext,
                 Steinberg::Vst::IComponentHandler* handler);
    ~Vst3Instance();
    Vst3Instance(const Vst3Instance&) = delete;
    Vst3Instance& operator=(const Vst3Instance&) = delete;

    Steinberg::Vst::IEditController& controller() { return *editController; }

    // [main] before start(): the component's state to both halves, then the
    // controller's own. Throws PluginFailure when either is refused.
    void load(const Vst3State& state);
    // [main] throws PluginFailure.
    Vst3State save();

    // [main] one bus of `channels` (1 or 2) each way, the processing set-up,
    // activation and processing on. Throws HostInputError when the plug-in
    // refuses the rate or block size, PluginFailure for any other refusal.
    void start(const Steinberg::Vst::ProcessSetup& setup, Steinberg::int32 channels);
    // [audio] the plug-in's result.
    Steinberg::tresult process(Steinberg::Vst::ProcessData& data)
    {
        return processor->process(data);
    }

private:
    void stop();

    Steinberg::IPtr<Steinberg::Vst::IComponent> component;
    Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processor;
    Steinberg::IPtr<Steinberg::Vst::IEditController> editController;
    bool separateController = false; // a controller object of its own
    bool connected = false;
    bool active = false;
    bool processing = false;
};
