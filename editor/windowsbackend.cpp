// Windows: the panel's pugl back end. The panel draws with OpenGL, but its
// picture reaches the screen through GDI. Wine (8, at least) renders an
// OpenGL child window offscreen and never composites it into its parent,
// so an OpenGL view embedded in a host's window stays black there.
//
// Here the view's window, the child in the host's, has no pixel format and
// is painted with GDI. The OpenGL context belongs to a hidden top-level
// window of the same class and draws into a framebuffer object the size of
// the view. Once the panel has drawn an expose, the exposed rectangle is
// read back (BGRA, its rows bottom-up like a DIB's) and set into the
// window's paint DC, so a meter's redraw copies only the meter.
//
// Only the back end's hooks are ours, through pugl's back-end table
// (its internal types.h and win.h): the window, its events and timers are
// pugl's as on X11.
#include "panelbackend.h"

#include "glfunctions.h"

extern "C" {
#include "third_party/pugl/src/win.h"
}

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>
#include <vector>

namespace {

struct Surface {
    HWND window = nullptr; // hidden, never shown; holds the pixel format
    HDC dc = nullptr;
    HGLRC context = nullptr;
    // Made with the context, and deleted with it.
    GLuint framebuffer = 0;
    GLuint color = 0;
    GLuint depthStencil = 0;
    // The framebuffer's size: 0 until an expose has sized it.
    LONG width = 0;
    LONG height = 0;
    std::vector<unsigned char> pixels; // read-back rows, 4 bytes a pixel
};

Surface* SurfaceOf(const PuglView* view)
{
    return static_cast<Surface*>(view->impl->surface);
}

// Any object of this module: it names the module pugl registered the
// world's window class in (pugl is linked into it statically).
const int kModuleAnchor = 0;

HWND CreateHiddenWindow(const PuglView* view)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module))
        return nullptr;
    const char* name = view->world->strings[PUGL_CLASS_NAME];
    const int length = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
    if (length <= 0)
        return nullptr;
    std::wstring className(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name, -1, className.data(), length);
    return CreateWindowExW(0, className.c_str(), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           module, nullptr);
}

// [context current] Sizes the framebuffer to the view's window and binds
// it; false when the driver cannot make it.
bool BindFramebuffer(Surface& surface, HWND view)
{
    RECT client{};
    GetClientRect(view, &client);
    const LONG width = std::max<LONG>(client.right - client.left, 1);
    const LONG height = std::max<LONG>(client.bottom - client.top, 1);
    if (width != surface.width || height != surface.height) {
        surface.width = 0;
        surface.height = 0;
        try {
            surface.pixels.resize(static_cast<std::size_t>(width) *
                                  static_cast<std::size_t>(height) * 4);
        } catch (const std::bad_alloc&) {
            return false;
        }
        glBindRenderbuffer(GL_RENDERBUFFER, surface.color);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, surface.depthStencil);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, surface.framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  surface.color);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  surface.depthStencil);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  surface.depthStencil);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            return false;
        surface.width = width;
        surface.height = height;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, surface.framebuffer);
    return true;
}

// [context current, framebuffer bound] Copies the exposed rectangle,
// within the framebuffer, into the paint DC.
void Present(Surface& surface, HDC dc, const PuglExposeEvent& expose)
{
    const LONG left = std::clamp<LONG>(expose.x, 0, surface.width);
    const LONG top = std::clamp<LONG>(expose.y, 0, surface.height);
    const LONG right = std::clamp<LONG>(LONG{expose.x} + LONG{expose.width}, left, surface.width);
    const LONG bottom = std::clamp<LONG>(LONG{expose.y} + LONG{expose.height}, top, surface.height);
    const LONG width = right - left;
    const LONG height = bottom - top;
    if (width == 0 || height == 0)
        return;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(left, surface.height - bottom, width, height, GL_BGRA, GL_UNSIGNED_BYTE,
                 surface.pixels.data());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // positive: bottom-up, as GL reads
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, left, top, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), surface.pixels.data(), &info, DIB_RGB_COLORS);
}

PuglStatus Configure(PuglView* view)
{
    // The view's window as pugl makes it, without a pixel format.
    PuglInternals* impl = view->impl;
    return puglWinCreateWindow(view, "Pugl", &impl->hwnd, &impl->hdc);
}

// What fails here is undone by Destroy, which pugl calls as it frees the
// view.
PuglStatus Create(PuglView* view)
{
    auto* surface = new (std::nothrow) Surface;
    if (surface == nullptr)
        return PUGL_CREATE_CONTEXT_FAILED;
    view->impl->surface = surface;
    surface->window = CreateHiddenWindow(view);
    if (surface->window == nullptr || (surface->dc = GetDC(surface->window)) == nullptr)
        return PUGL_CREATE_CONTEXT_FAILED;
    const PIXELFORMATDESCRIPTOR format = puglWinGetPixelFormatDescriptor(view->hints);
    const int formatId = ChoosePixelFormat(surface->dc, &format);
    if (formatId == 0 || !SetPixelFormat(surface->dc, formatId, &format))
        return PUGL_SET_FORMAT_FAILED;
    surface->context = wglCreateContext(surface->dc);
    if (surface->context == nullptr || !wglMakeCurrent(surface->dc, surface->context))
        return PUGL_CREATE_CONTEXT_FAILED;
    const bool loaded = LoadGlFunctions();
    if (loaded) {
        glGenFramebuffers(1, &surface->framebuffer);
        glGenRenderbuffers(1, &surface->color);
        glGenRenderbuffers(1, &surface->depthStencil);
    }
    wglMakeCurrent(nullptr, nullptr);
    return loaded ? PUGL_SUCCESS : PUGL_CREATE_CONTEXT_FAILED;
}

void Destroy(PuglView* view)
{
    Surface* surface = SurfaceOf(view);
    if (surface == nullptr)
        return;
    if (surface->context != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(surface->context);
    }
    if (surface->dc != nullptr)
        ReleaseDC(surface->window, surface->dc);
    if (surface->window != nullptr)
        DestroyWindow(surface->window);
    delete surface;
    view->impl->surface = nullptr;
}

PuglStatus Enter(PuglView* view, const PuglExposeEvent* expose)
{
    Surface* surface = SurfaceOf(view);
    if (surface == nullptr || surface->context == nullptr)
        return PUGL_FAILURE;
    const PuglStatus began = puglWinEnter(view, expose);
    if (began != PUGL_SUCCESS)
        return began;
    if (!wglMakeCurrent(surface->dc, surface->context) ||
        (expose != nullptr && !BindFramebuffer(*surface, view->impl->hwnd))) {
        // pugl leaves nothing it failed to enter: end the paint here, or
        // the same expose would come back at once.
        wglMakeCurrent(nullptr, nullptr);
        if (expose != nullptr)
            EndPaint(view->impl->hwnd, &view->impl->paint);
        return PUGL_FAILURE;
    }
    return PUGL_SUCCESS;
}

PuglStatus Leave(PuglView* view, const PuglExposeEvent* expose)
{
    if (expose != nullptr) {
        Surface* surface = SurfaceOf(view);
        Present(*surface, view->impl->paint.hdc, *expose);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    wglMakeCurrent(nullptr, nullptr);
    return puglWinLeave(view, expose);
}

void* Context(PuglView*)
{
    return nullptr;
}

} // namespace

const PuglBackend* PanelBackend()
{
    static const PuglBackend backend = {Configure, Create, Destroy, Enter, Leave, Context};
    return &backend;
}
