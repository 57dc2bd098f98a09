#include "x11connection.h"

#if !defined(_WIN32)
#include <X11/Xlib.h>
#endif

int ConnectionFd(void* display)
{
#if defined(_WIN32)
    (void)display;
    return -1;
#else
    return display != nullptr ? ConnectionNumber(static_cast<Display*>(display)) : -1;
#endif
}
