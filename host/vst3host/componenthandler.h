// The host's side of the controller's edits (IComponentHandler): each edit
// the controller performs is kept until the render loop hands it to the
// processor with the next block, as a host forwards a user's edit; so is a
// change the host makes itself. While an editor is open, each gesture goes
// to the gesture log as well, its value plain as the controller converts it.
#pragma once

#include <pluginterfaces/base/funknownimpl.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <utility>
#include <vector>

#include "host/pluginhost/gesturelog.h"

class ComponentHandler final : public Steinberg::U::ImplementsNonDestroyable<
                                   Steinberg::U::Directly<Steinberg::Vst::IComponentHandler>> {
public:
    using Edit = std::pair<Steinberg::Vst::ParamID, Steinberg::Vst::ParamValue>;

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override
    {
        if (log != nullptr)
            log->begin(id);
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue value) override
    {
        if (log != nullptr)
            log->value(id, controller->normalizedParamToPlain(id, value));
        keep(id, value);
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override
    {
        if (log != nullptr)
            log->end(id);
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32) override
    {
        return Steinberg::kResultOk;
    }

    // [main] the gestures to `gestures`, their values converted by
    // `converter`; both null: no longer.
    void logGestures(GestureLog* gestures, Steinberg::Vst::IEditController* converter)
    {
        log = gestures;
        controller = converter;
    }

    // A change for the processor's next block.
    void keep(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value)
    {
        edits.emplace_back(id, value);
    }

    // The edits since the last call, oldest first.
    template <class Take>
    void takeEdits(Take take)
    {
        for (const Edit& edit : edits)
            take(edit.first, edit.second);
        edits.clear();
    }

private:
    std::vector<Edit> edits;
    GestureLog* log = nullptr;
    Steinberg::Vst::IEditController* controller = nullptr;
};
