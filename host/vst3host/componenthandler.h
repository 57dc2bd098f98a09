// The host's side of the controller's edits (IComponentHandler): each edit
// the controller performs is kept until the render loop hands it to the
// processor with the next block, as a host forwards a user's edit.
#pragma once

#include <pluginterfaces/base/funknownimpl.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <utility>
#include <vector>

class ComponentHandler final : public Steinberg::U::ImplementsNonDestroyable<
                                   Steinberg::U::Directly<Steinberg::Vst::IComponentHandler>> {
public:
    using Edit = std::pair<Steinberg::Vst::ParamID, Steinberg::Vst::ParamValue>;

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID) override
    {
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue value) override
    {
        edits.emplace_back(id, value);
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID) override
    {
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32) override
    {
        return Steinberg::kResultOk;
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
};
