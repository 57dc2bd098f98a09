// What a Linux host's run loop calls back: a timer and a file descriptor
// with input, each handed to a function until stop. The host may keep its
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
    RunLoopHandler(std::function<void()> timer, std::function<void()> input)
        : timer(std::move(timer)),
          input(std::move(input))
    {}

    void PLUGIN_API onTimer() override
    {
        if (timer)
            timer();
    }
    void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor) override
    {
        if (input)
            input();
    }
    void stop()
    {
        timer = nullptr;
        input = nullptr;
    }

    OBJ_METHODS(RunLoopHandler, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::Linux::ITimerHandler)
    DEF_INTERFACE(Steinberg::Linux::IEventHandler)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    std::function<void()> timer;
    std::function<void()> input;
};
