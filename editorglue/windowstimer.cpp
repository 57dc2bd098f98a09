#include "windowstimer.h"

#if defined(_WIN32)

#include <windows.h>

#include <stdexcept>

namespace {

// The timer's ID is the address of its WindowsTimer: unique on the window,
// and the way back to it.
void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    (*reinterpret_cast<std::function<void()>*>(id))();
}

} // namespace

WindowsTimer::WindowsTimer(std::uintptr_t window, unsigned milliseconds,
                           std::function<void()> callback)
    : window(window),
      tick(std::move(callback))
{
    if (SetTimer(reinterpret_cast<HWND>(window), reinterpret_cast<UINT_PTR>(&tick), milliseconds,
                 Tick) == 0)
        throw std::runtime_error("Windows refused the editor's timer");
}

WindowsTimer::~WindowsTimer()
{
    KillTimer(reinterpret_cast<HWND>(window), reinterpret_cast<UINT_PTR>(&tick));
}

#endif
