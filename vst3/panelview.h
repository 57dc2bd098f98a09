// The controller's view ("editor"): the panel embedded in the host's window
// (an X11 window ID on Linux, an HWND on Windows). On Linux the host's run
// loop (IRunLoop, from the frame) drives it: a timer about 30 times a
// second and the X11 connection's input; without one attached() refuses
// rather than show a dead window. On Windows a timer on the panel's window,
// delivered by the host's message loop, drives it. Values reach it from the
// controller as the host and the processor set them, the meters' peaks
// too (the editor keeps the highest until it draws).
//
// Threads: [ui], the controller's main thread, for everything.
#pragma once

#include <memory>

#include "base/source/fobject.h"
#include "controllergestures.h"
#include "editor/editor.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/vsttypes.h"
#if defined(_WIN32)
#include "editorglue/windowstimer.h"
#else
#include "runloophandler.h"
#endif

class TapeDelayController;

class PanelView : public Steinberg::FObject, public Steinberg::IPlugView {
public:
    // Holds a reference to the controller and tells it when it goes.
    explicit PanelView(TapeDelayController& controller);
    ~PanelView() override;

    using tresult = Steinberg::tresult;

    tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
    tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
    tresult PLUGIN_API removed() override;
    tresult PLUGIN_API onWheel(float) override { return Steinberg::kResultFalse; }
    tresult PLUGIN_API onKeyDown(Steinberg::char16, Steinberg::int16, Steinberg::int16) override
    {
        return Steinberg::kResultFalse;
    }
    tresult PLUGIN_API onKeyUp(Steinberg::char16, Steinberg::int16, Steinberg::int16) override
    {
        return Steinberg::kResultFalse;
    }
    tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
    tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
    tresult PLUGIN_API onFocus(Steinberg::TBool) override { return Steinberg::kResultFalse; }
    tresult PLUGIN_API setFrame(Steinberg::IPlugFrame* frame) override;
    tresult PLUGIN_API canResize() override { return Steinberg::kResultTrue; }
    tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect* rect) override;

    // A parameter's normalised value as the controller now holds it.
    void show(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue normalised);
    // Where the editor's gestures go.
    EditorHost& gestures() { return editorGestures; }

    OBJ_METHODS(PanelView, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::IPlugView)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    // The editor and what drives it; false, with nothing left, when either
    // cannot be had.
    bool open(std::uintptr_t parent);
    void close();

    Steinberg::IPtr<TapeDelayController> controller;
    ControllerGestures editorGestures;
    Steinberg::IPtr<Steinberg::IPlugFrame> frame;
    Steinberg::ViewRect rect;
    std::unique_ptr<Editor> editor;
#if defined(_WIN32)
    std::unique_ptr<WindowsTimer> timer;
#else
    Steinberg::IPtr<Steinberg::Linux::IRunLoop> runLoop;
    Steinberg::IPtr<RunLoopHandler> handler;
#endif
};
