// The host window on X11: a pugl view with the stub back end.
#include "hostwindow.h"

#include <X11/Xlib.h>
#include <pugl/pugl.h>
#include <pugl/stub.h>

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
    if (puglRealize(view) != PUGL_SUCCESS) {
        puglFreeView(view);
        puglFreeWorld(world);
        throw HostInputError("cannot open the editor's window");
    }
}

void HostWindow::show()
{
    puglShow(view, PUGL_SHOW_RAISE);
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
    return ConnectionNumber(static_cast<Display*>(puglGetNativeWorld(world)));
}

void HostWindow::dispatch(double)
{
    puglUpdate(world, 0.0);
}
