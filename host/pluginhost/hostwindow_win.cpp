// The host window on Windows: a plain top-level window that clips its
// children and only tells when it is closed.
#include "hostwindow.h"

#include <windows.h>

#include <string>

#include "hosterrors.h"

namespace {

constexpr const wchar_t* kClassName = L"tapedelay-test-host";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_CLOSE) {
        if (auto* closed = reinterpret_cast<bool*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            *closed = true;
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

std::wstring wide(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), n);
    result.resize(result.size() - 1);
    return result;
}

// The outer size whose client area is width x height.
RECT outer(std::uint32_t width, std::uint32_t height)
{
    RECT rect{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    AdjustWindowRectEx(&rect, kStyle, FALSE, 0);
    return rect;
}

} // namespace

HostWindow::HostWindow(const std::string& title, std::uint32_t width, std::uint32_t height)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    // Registered once per process; a second window finds it there.
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw HostInputError("cannot open the editor's window: no window class");
    const RECT size = outer(width, height);
    HWND hwnd =
        CreateWindowExW(0, kClassName, wide(title).c_str(), kStyle, 0, 0, size.right - size.left,
                        size.bottom - size.top, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr)
        throw HostInputError("cannot open the editor's window");
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&closeRequested));
    window = hwnd;
}

void HostWindow::show()
{
    ShowWindow(static_cast<HWND>(window), SW_SHOWNORMAL);
    UpdateWindow(static_cast<HWND>(window));
}

HostWindow::~HostWindow()
{
    DestroyWindow(static_cast<HWND>(window));
}

std::uintptr_t HostWindow::native() const
{
    return reinterpret_cast<std::uintptr_t>(window);
}

bool HostWindow::resize(std::uint32_t width, std::uint32_t height)
{
    const RECT size = outer(width, height);
    return SetWindowPos(static_cast<HWND>(window), nullptr, 0, 0, size.right - size.left,
                        size.bottom - size.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

int HostWindow::connectionFd() const
{
    return -1;
}

void HostWindow::dispatch(double seconds)
{
    // Every message of the thread: the editor's windows and timers too.
    const auto wait = static_cast<DWORD>(seconds > 0.0 ? seconds * 1000.0 : 0.0);
    if (wait > 0)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
