// What a Linux host's run loop calls back, its timer and a file descriptor
// with input, both handed to one function until stop. The host may keep its
// reference a while after the view unregistered it.
//
// Threads: [ui], the host's run loop.
#pragma once

#include <functional>

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"

class RunLoopHandler : public Steinberg::FObject,
                       public Steinberg::Linux::ITimerHandler,
                       public Steinberg::Linux::IEventHandler {
public:
    explicit RunLoopHandler(std::function<void()> call) : call(std::move(call)) {}

    void PLUGIN_API onTimer() override
    {
        if (call)
            call();
    }
    void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor) override
    {
        if (call)
            call();
    }
    void stop() { call = nullptr; }

    OBJ_METHODS(RunLoopHandler, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::Linux::ITimerHandler)
    DEF_INTERFACE(Steinberg::Linux::IEventHandler)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    std::function<void()> call;
};
