#include "glfunctions.h"

#include <pugl/gl.h>

#define TAPEDELAY_DEFINE_GL(type, name) type tapedelay_##name = nullptr;
TAPEDELAY_GL_FUNCTIONS(TAPEDELAY_DEFINE_GL)
#undef TAPEDELAY_DEFINE_GL

bool LoadGlFunctions()
{
    bool all = true;
#define TAPEDELAY_LOAD_GL(type, name)                                                              \
    tapedelay_##name = reinterpret_cast<type>(puglGetProcAddress(#name));                          \
    all = all && tapedelay_##name != nullptr;
    TAPEDELAY_GL_FUNCTIONS(TAPEDELAY_LOAD_GL)
#undef TAPEDELAY_LOAD_GL
    return all;
}
