#include "plugframe.h"

using namespace Steinberg;

PlugFrame::~PlugFrame()
{
    for (const auto& [handler, id] : handlers) {
        loop.removeWatch(id);
        handler->release();
    }
    for (const auto& [handler, id] : timers) {
        loop.removeTimer(id);
        handler->release();
    }
}

tresult PLUGIN_API PlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    if (view == nullptr || newSize == nullptr || newSize->getWidth() <= 0 ||
        newSize->getHeight() <= 0)
        return kInvalidArgument;
    if (!window.resize(static_cast<std::uint32_t>(newSize->getWidth()),
                       static_cast<std::uint32_t>(newSize->getHeight())))
        return kResultFalse;
    return view->onSize(newSize);
}

#if !defined(_WIN32)

tresult PLUGIN_API PlugFrame::registerEventHandler(Linux::IEventHandler* handler,
                                                   Linux::FileDescriptor fd)
{
    if (handler == nullptr || fd < 0)
        return kInvalidArgument;
    const RunLoop::Id id =
        loop.addWatch(fd, RunLoop::kReadable, [handler, fd](unsigned) { handler->onFDIsSet(fd); });
    handler->addRef();
    handlers.emplace(handler, id);
    return kResultOk;
}

tresult PLUGIN_API PlugFrame::unregisterEventHandler(Linux::IEventHandler* handler)
{
    const auto [first, last] = handlers.equal_range(handler);
    if (first == last)
        return kInvalidArgument;
    for (auto i = first; i != last; ++i) {
        loop.removeWatch(i->second);
        handler->release();
    }
    handlers.erase(first, last);
    return kResultOk;
}

tresult PLUGIN_API PlugFrame::registerTimer(Linux::ITimerHandler* handler,
                                            Linux::TimerInterval milliseconds)
{
    if (handler == nullptr || milliseconds == 0)
        return kInvalidArgument;
    const RunLoop::Id id =
        loop.addTimer(static_cast<std::uint32_t>(milliseconds), [handler] { handler->onTimer(); });
    handler->addRef();
    timers.emplace(handler, id);
    return kResultOk;
}

tresult PLUGIN_API PlugFrame::unregisterTimer(Linux::ITimerHandler* handler)
{
    const auto [first, last] = timers.equal_range(handler);
    if (first == last)
        return kInvalidArgument;
    for (auto i = first; i != last; ++i) {
        loop.removeTimer(i->second);
        handler->release();
    }
    timers.erase(first, last);
    return kResultOk;
}

#endif
