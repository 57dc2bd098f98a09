// The VST3 edit controller: the plug-in's parameters (AddParameters), the
// presets as the program list of its one unit, the processor's state shown
// as the same values, and the plug-in's own writes passed on to the host as
// edits (OwnWrites), so that the host records them; its one view at a time
// (PanelView), which it hands every value it takes.
//
// Threads: every call comes from the host's main thread.
#pragma once

#include <memory>

#include "loadedproduct.h"
#include "ownwrites.h"
#include "pluginterfaces/gui/iplugview.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

class PanelView;

class TapeDelayController : public Steinberg::Vst::EditControllerEx1 {
public:
    explicit TapeDelayController(std::shared_ptr<LoadedProduct> product);

    using tresult = Steinberg::tresult;
    using ParamID = Steinberg::Vst::ParamID;
    using ParamValue = Steinberg::Vst::ParamValue;

    tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    tresult PLUGIN_API terminate() override;
    tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;

    tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;
    tresult PLUGIN_API setState(Steinberg::IBStream*) override { return Steinberg::kResultOk; }
    tresult PLUGIN_API getState(Steinberg::IBStream*) override { return Steinberg::kResultOk; }

    // Both first pass on the plug-in's own writes waiting in the mailbox.
    // A normalised value from the host is taken within 0 to 1 here and
    // below; NaN is refused.
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) override;
    ParamValue PLUGIN_API getParamNormalized(ParamID id) override;
    tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue value,
                                             Steinberg::Vst::String128 text) override;
    ParamValue PLUGIN_API normalizedParamToPlain(ParamID id, ParamValue value) override;
    // A text read as a value within 0 to 1, whatever number it holds.
    tresult PLUGIN_API getParamValueByString(ParamID id, Steinberg::Vst::TChar* text,
                                             ParamValue& value) override;

    // The panel for "editor", while no other view of this controller is
    // open; null for any other name.
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;
    // [ui] the view going: the controller no longer hands it values.
    void viewClosed(const PanelView* closed);

    const LoadedProduct& loaded() const { return *product; }

    OBJ_METHODS(TapeDelayController, EditControllerEx1)

private:
    // beginEdit, performEdit and endEdit for each value the processor set.
    void passOwnWrites();
    // The controller's value set, and handed to the open view.
    tresult hold(ParamID id, ParamValue normalised);

    std::shared_ptr<LoadedProduct> product;
    Steinberg::IPtr<OwnWrites> ownWrites;
    bool passing = false;
    PanelView* view = nullptr; // the open view, which holds a reference to this
};
