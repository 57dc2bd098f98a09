// The NanoVG context the panel draws with, on the OpenGL 2 context of its
// window.
#pragma once

struct NVGcontext;

// [ui, GL context current] nullptr when the context lacks what NanoVG's
// OpenGL 2 back end needs.
NVGcontext* CreatePanelContext();
// [ui, the same GL context current]
void DeletePanelContext(NVGcontext* vg);
