// A VST3 controller's editor open in the host window, as a host opens one:
// the view from createView("editor"), the platform's window type checked,
// the frame set, the window sized to the view, the view attached; and on
// close removed, the frame unset and the view released.
#pragma once

#include <pluginterfaces/base/smartpointer.h>
#include <pluginterfaces/gui/iplugview.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <ostream>

#include "host/pluginhost/hostedplugin.h"
#include "plugframe.h"

class Vst3Editor final : public PluginEditor {
public:
    // [main] throws PluginFailure when the controller makes no view, the
    // view does not take the platform's window or refuses to attach.
    // Warnings (what the view left registered) go to `log`.
    Vst3Editor(Steinberg::Vst::IEditController& controller, HostWindow& window, RunLoop& loop,
               std::ostream& log);
    ~Vst3Editor() override;

private:
    PlugFrame frame;
    Steinberg::IPtr<Steinberg::IPlugView> view;
    std::ostream& log;
};
