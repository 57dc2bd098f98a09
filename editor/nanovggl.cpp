// NanoVG's OpenGL 2 back end, compiled once for the panel. On Linux libGL
// exports every function it calls; on Windows opengl32 has only GL 1.1 and
// the rest come through the loader.
#if defined(_WIN32)
#include "glfunctions.h"
#else
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#endif

#define NANOVG_GL2_IMPLEMENTATION
#include <nanovg.h>
#include <nanovg_gl.h>

#include "nanovggl.h"

NVGcontext* CreatePanelContext()
{
#if defined(_WIN32)
    if (!LoadGlFunctions())
        return nullptr;
#endif
    return nvgCreateGL2(NVG_ANTIALIAS | NVG_STENCIL_STROKES);
}

void DeletePanelContext(NVGcontext* vg)
{
    if (vg != nullptr)
        nvgDeleteGL2(vg);
}
