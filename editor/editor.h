// The tape delay's own panel, embedded as a child window of a host's: its
// dials, switches, meters and the delay it is at, drawn with NanoVG on
// OpenGL in a pugl view. It knows the parameters by their codes, texts and
// ranges from the product library and nothing of any plug-in format; the
// format's glue hands it values and carries its gestures (EditorHost).
//
// Threads: everything here is the host's UI thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "editorhost.h"
#include "host/effect/productlibrary.h"

struct EditorSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

class Editor {
public:
    // The panel's size at scale 1, and the limits of a resize (same aspect).
    static EditorSize defaultSize();
    static EditorSize minimumSize();
    static EditorSize maximumSize();
    // The nearest size within the limits with the panel's aspect.
    static EditorSize constrain(EditorSize wanted);

    // [ui] allocates; throws std::runtime_error when no window or OpenGL
    // context can be made, or when the font at fontPath is missing or no
    // TrueType font (checked before any window is made). parent is the
    // host's window: an X11 Window id on Linux, an HWND on Windows.
    // fontPath is the bundled DejaVu Sans.
    Editor(const ProductLibrary& product, EditorHost& host, std::uintptr_t parent, EditorSize size,
           const std::string& fontPath);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // The panel's own window: an X11 Window id or an HWND.
    std::uintptr_t nativeWindow() const;
    // [ui] The host's resize, constrained; returns the size taken.
    EditorSize resize(EditorSize wanted);

    // [ui] A value from the host (automation, a preset, the plug-in's own
    // writes, the values it writes for display), by host index, plain.
    void setValue(std::size_t index, double value);
    // [ui] The meters' peaks since the last call, linear 0 to 1.
    void setMeters(float input, float output);

    // [ui] Handles the window's pending events and redraws what changed.
    // A host's run loop calls this from a timer (about 30 times a second)
    // and when the X11 connection has input; on Windows the host's message
    // loop delivers events and this only redraws.
    void idle();
    // The X11 connection's file descriptor for a host's run loop to watch,
    // or -1 (Windows).
    int connectionFd() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// The bundled font's file name, beside the plug-in library in every
// format's bundle.
inline constexpr const char* kEditorFontFile = "DejaVuSans.ttf";
