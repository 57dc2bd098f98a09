// The pugl back end the panel's view draws with: pugl's own OpenGL one on
// X11; on Windows one that draws with OpenGL offscreen and shows the
// picture through GDI (windowsbackend.cpp).
#pragma once

#include <pugl/pugl.h>

#if defined(_WIN32)
const PuglBackend* PanelBackend();
#else
#include <pugl/gl.h>

inline const PuglBackend* PanelBackend()
{
    return puglGlBackend();
}
#endif
