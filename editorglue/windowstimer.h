// A timer on the UI thread of Windows hosts, which have no run loop to lend
// a plug-in: SetTimer on the editor's own window, delivered by the host's
// message loop, calling back until it goes.
#pragma once

#if defined(_WIN32)

#include <cstdint>
#include <functional>

class WindowsTimer {
public:
    // [ui] allocates; throws std::runtime_error when Windows refuses it.
    WindowsTimer(std::uintptr_t window, unsigned milliseconds, std::function<void()> tick);
    ~WindowsTimer();
    WindowsTimer(const WindowsTimer&) = delete;
    WindowsTimer& operator=(const WindowsTimer&) = delete;

private:
    std::uintptr_t window;
    std::function<void()> tick;
};

#endif
