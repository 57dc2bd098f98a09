#include "hostwindow.h"

#include <pugl/pugl.h>
#include <pugl/stub.h>

#if !defined(_WIN32)
#include <X11/Xlib.h>
#endif

#include "hosterrors.h"

namespace {

PuglStatus onEvent(PuglView* view, const PuglEvent* event)
{
    if (event->type == PUGL_CLOSE)
        *static_cast<bool*>(puglGetHandle(view)) = true;
    return PUGL_SUCCESS;
}

} // namespace

HostWindow::HostWindow(const std::string& title, std::uint32_t width, std::uint32_t height)
{
    world = puglNewWorld(PUGL_PROGRAM, 0);
    if (world == nullptr)
        throw HostInputError("cannot open the editor's window: no display (is DISPLAY set?)");
    puglSetWorldString(world, PUGL_CLASS_NAME, "tapedelay-test-host");
    view = puglNewView(world);
    puglSetBackend(view, puglStubBackend());
    puglSetHandle(view, &closeRequested);
    puglSetEventFunc(view, onEvent);
    puglSetViewString(view, PUGL_WINDOW_TITLE, title.c_str());
    puglSetSizeHint(view, PUGL_DEFAULT_SIZE, static_cast<PuglSpan>(width),
                    static_cast<PuglSpan>(height));
    puglSetPositionHint(view, PUGL_DEFAULT_POSITION, 0, 0);
    puglSetViewHint(view, PUGL_RESIZABLE, true);
    if (puglRealize(view) != PUGL_SUCCESS || puglShow(view, PUGL_SHOW_RAISE) != PUGL_SUCCESS) {
        puglFreeView(view);
        puglFreeWorld(world);
        throw HostInputError("cannot open the editor's window");
    }
}

HostWindow::~HostWindow()
{
    puglFreeView(view);
    puglFreeWorld(world);
}

std::uintptr_t HostWindow::native() const
{
    return puglGetNativeView(view);
}

bool HostWindow::resize(std::uint32_t width, std::uint32_t height)
{
    return puglSetSizeHint(view, PUGL_CURRENT_SIZE, static_cast<PuglSpan>(width),
                           static_cast<PuglSpan>(height)) == PUGL_SUCCESS;
}

int HostWindow::connectionFd() const
{
#if defined(_WIN32)
    return -1;
#else
    return ConnectionNumber(static_cast<Display*>(puglGetNativeWorld(world)));
#endif
}

void HostWindow::dispatch(double seconds)
{
#if defined(_WIN32)
    puglUpdate(world, seconds);
#else
    (void)seconds;
    puglUpdate(world, 0.0);
#endif
}
