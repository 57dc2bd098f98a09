// Windows only: the OpenGL 2 functions NanoVG's GL2 back end calls beyond
// the GL 1.1 that opengl32 exports, and the framebuffer objects the panel
// draws into (windowsbackend.cpp), looked up through the context once it
// exists. Each name is a macro for its pointer, so NanoVG's code calls
// them as it would the exported functions.
#pragma once

#if defined(_WIN32)
#include <windows.h>

#include <GL/gl.h>
#include <GL/glext.h>

// X(pointer type, function name) for every function loaded.
#define TAPEDELAY_GL_FUNCTIONS(X)                                                                  \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                                                     \
    X(PFNGLATTACHSHADERPROC, glAttachShader)                                                       \
    X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)                                           \
    X(PFNGLBINDBUFFERPROC, glBindBuffer)                                                           \
    X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                                                 \
    X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                                               \
    X(PFNGLBLENDFUNCSEPARATEPROC, glBlendFuncSeparate)                                             \
    X(PFNGLBUFFERDATAPROC, glBufferData)                                                           \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)                                   \
    X(PFNGLCOMPILESHADERPROC, glCompileShader)                                                     \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                                                     \
    X(PFNGLCREATESHADERPROC, glCreateShader)                                                       \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                                                     \
    X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                                           \
    X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                                                     \
    X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)                                         \
    X(PFNGLDELETESHADERPROC, glDeleteShader)                                                       \
    X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray)                               \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)                                 \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)                                 \
    X(PFNGLGENBUFFERSPROC, glGenBuffers)                                                           \
    X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                                                 \
    X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                                               \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                                             \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                                                       \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                                               \
    X(PFNGLGETSHADERIVPROC, glGetShaderiv)                                                         \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)                                           \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram)                                                         \
    X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)                                         \
    X(PFNGLSHADERSOURCEPROC, glShaderSource)                                                       \
    X(PFNGLSTENCILOPSEPARATEPROC, glStencilOpSeparate)                                             \
    X(PFNGLUNIFORM1IPROC, glUniform1i)                                                             \
    X(PFNGLUNIFORM2FVPROC, glUniform2fv)                                                           \
    X(PFNGLUNIFORM4FVPROC, glUniform4fv)                                                           \
    X(PFNGLUSEPROGRAMPROC, glUseProgram)                                                           \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)

#define TAPEDELAY_DECLARE_GL(type, name) extern type tapedelay_##name;
TAPEDELAY_GL_FUNCTIONS(TAPEDELAY_DECLARE_GL)
#undef TAPEDELAY_DECLARE_GL

#define glActiveTexture tapedelay_glActiveTexture
#define glAttachShader tapedelay_glAttachShader
#define glBindAttribLocation tapedelay_glBindAttribLocation
#define glBindBuffer tapedelay_glBindBuffer
#define glBindFramebuffer tapedelay_glBindFramebuffer
#define glBindRenderbuffer tapedelay_glBindRenderbuffer
#define glBlendFuncSeparate tapedelay_glBlendFuncSeparate
#define glBufferData tapedelay_glBufferData
#define glCheckFramebufferStatus tapedelay_glCheckFramebufferStatus
#define glCompileShader tapedelay_glCompileShader
#define glCreateProgram tapedelay_glCreateProgram
#define glCreateShader tapedelay_glCreateShader
#define glDeleteBuffers tapedelay_glDeleteBuffers
#define glDeleteFramebuffers tapedelay_glDeleteFramebuffers
#define glDeleteProgram tapedelay_glDeleteProgram
#define glDeleteRenderbuffers tapedelay_glDeleteRenderbuffers
#define glDeleteShader tapedelay_glDeleteShader
#define glDisableVertexAttribArray tapedelay_glDisableVertexAttribArray
#define glEnableVertexAttribArray tapedelay_glEnableVertexAttribArray
#define glFramebufferRenderbuffer tapedelay_glFramebufferRenderbuffer
#define glGenBuffers tapedelay_glGenBuffers
#define glGenFramebuffers tapedelay_glGenFramebuffers
#define glGenRenderbuffers tapedelay_glGenRenderbuffers
#define glGetProgramInfoLog tapedelay_glGetProgramInfoLog
#define glGetProgramiv tapedelay_glGetProgramiv
#define glGetShaderInfoLog tapedelay_glGetShaderInfoLog
#define glGetShaderiv tapedelay_glGetShaderiv
#define glGetUniformLocation tapedelay_glGetUniformLocation
#define glLinkProgram tapedelay_glLinkProgram
#define glRenderbufferStorage tapedelay_glRenderbufferStorage
#define glShaderSource tapedelay_glShaderSource
#define glStencilOpSeparate tapedelay_glStencilOpSeparate
#define glUniform1i tapedelay_glUniform1i
#define glUniform2fv tapedelay_glUniform2fv
#define glUniform4fv tapedelay_glUniform4fv
#define glUseProgram tapedelay_glUseProgram
#define glVertexAttribPointer tapedelay_glVertexAttribPointer

// [ui, GL context current] Looks every function up; false when one is
// missing (no OpenGL 2 with framebuffer objects).
bool LoadGlFunctions();
#endif
