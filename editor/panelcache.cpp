#include "panelcache.h"

#if defined(_WIN32)
#include "glfunctions.h"
#else
#include <GL/gl.h>
#endif

bool PanelCache::holds(int w, int h) const
{
    return texture != 0 && width == w && height == h;
}

void PanelCache::restore() const
{
    // Fixed-function state as NanoVG leaves it: its program, buffers and
    // textures unbound; blending and stencilling may still be on.
    glDisable(GL_BLEND);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // Texel (0, 0) is the window's bottom-left pixel, as GL copied it.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

void PanelCache::keep(const PanelPixels& region, int w, int h)
{
    if (!holds(w, h)) {
        if (texture == 0)
            glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        // Pixels map one to one: nearest, and no mipmaps.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, w, h, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        width = w;
        height = h;
        return;
    }
    // Within the window; GL counts rows from the bottom.
    const int x0 = region.x < 0 ? 0 : region.x;
    const int y0 = region.y < 0 ? 0 : region.y;
    const int x1 = region.x + region.width > w ? w : region.x + region.width;
    const int y1 = region.y + region.height > h ? h : region.y + region.height;
    if (x1 <= x0 || y1 <= y0)
        return;
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, x0, h - y1, x0, h - y1, x1 - x0, y1 - y0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void PanelCache::release()
{
    if (texture != 0)
        glDeleteTextures(1, &texture);
    texture = 0;
    width = height = 0;
}
