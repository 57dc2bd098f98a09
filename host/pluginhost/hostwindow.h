// The test hosts' top-level window, which a plug-in's editor embeds into;
// it draws nothing of its own. On X11 a pugl view with the stub back end;
// on Windows a plain Win32 window (pugl's would take an OpenGL pixel
// format, and under Wine an OpenGL child inside an OpenGL window is never
// shown). The window manager's close marks it closed; the run loop
// dispatches its events.
#pragma once

#include <cstdint>
#include <string>

// pugl's own world and view types.
struct PuglWorldImpl;
struct PuglViewImpl;

class HostWindow {
public:
    // [main] hidden until show(). Throws HostInputError when there is no display
    // to open it on (DISPLAY unset or unreachable) or the window cannot be
    // made.
    HostWindow(const std::string& title, std::uint32_t width, std::uint32_t height);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // [main] shown (once an editor sits in it, at its size).
    void show();

    // The window an editor takes as its parent: an X11 Window id or an HWND.
    std::uintptr_t native() const;
    // [main] the client area's new size; false when the window refused it.
    bool resize(std::uint32_t width, std::uint32_t height);
    // Whether the user closed it.
    bool closed() const { return closeRequested; }

    // The X11 connection's file descriptor, or -1 (Windows).
    int connectionFd() const;
    // [main] handles the pending events; on Windows it first waits up to
    // `seconds` for one (on X11 the caller polls connectionFd() instead).
    void dispatch(double seconds);

private:
#if defined(_WIN32)
    void* window = nullptr; // HWND
#else
    PuglWorldImpl* world = nullptr;
    PuglViewImpl* view = nullptr;
#endif
    bool closeRequested = false;
};
