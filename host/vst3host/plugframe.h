// The host's side of an open VST3 editor (IPlugFrame): the view's own
// resize requests reach the host window; on Linux it is the run loop the
// view asks the frame for (Linux::IRunLoop), its timers and file
// descriptors served by the host's RunLoop. Whatever the view left
// registered when it goes is taken off the loop, and counted.
#pragma once

#include <pluginterfaces/base/funknownimpl.h>
#include <pluginterfaces/gui/iplugview.h>

#include <map>

#include "host/pluginhost/hostwindow.h"
#include "host/pluginhost/runloop.h"

#if defined(_WIN32)
using PlugFrameInterfaces = Steinberg::U::Directly<Steinberg::IPlugFrame>;
#else
using PlugFrameInterfaces =
    Steinberg::U::Directly<Steinberg::IPlugFrame, Steinberg::Linux::IRunLoop>;
#endif

class PlugFrame final : public Steinberg::U::ImplementsNonDestroyable<PlugFrameInterfaces> {
public:
    PlugFrame(HostWindow& window, RunLoop& loop) : window(window), loop(loop) {}
    ~PlugFrame();
    PlugFrame(const PlugFrame&) = delete;
    PlugFrame& operator=(const PlugFrame&) = delete;

    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view,
                                             Steinberg::ViewRect* newSize) override;

#if !defined(_WIN32)
    Steinberg::tresult PLUGIN_API registerEventHandler(
        Steinberg::Linux::IEventHandler* handler, Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API
    unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API
    registerTimer(Steinberg::Linux::ITimerHandler* handler,
                  Steinberg::Linux::TimerInterval milliseconds) override;
    Steinberg::tresult PLUGIN_API
    unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;
#endif

    // The handlers and timers still registered.
    std::size_t registrations() const
    {
        return handlers.size() + timers.size();
    }

private:
    HostWindow& window;
    RunLoop& loop;
    // Each registration holds a reference to its handler until it goes.
    std::multimap<Steinberg::FUnknown*, RunLoop::Id> handlers;
    std::multimap<Steinberg::FUnknown*, RunLoop::Id> timers;
};
