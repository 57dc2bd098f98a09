// The CLAP plug-in's editor, embedded in the host's window (X11 on Linux,
// Win32 on Windows, never floating): made in set_parent, driven by the
// host's timer about 30 times a second (and on Linux also when the X11
// connection has input), where it takes the values the audio thread
// published and the meters' peaks since the last tick. A Windows host
// without timers drives it through the window's own timer.
//
// Threads: [main] for everything.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "clap/ext/gui.h"
#include "editor/editor.h"
#if defined(_WIN32)
#include "editorglue/windowstimer.h"
#endif

class TapeDelayClap;

class ClapGui {
public:
    static bool Supports(const char* api, bool floating);
    static const char* PreferredApi();

    // Allocates. Null, with the reason logged, when the host lends no
    // timer (Linux) or refuses one.
    static std::unique_ptr<ClapGui> Create(TapeDelayClap& instance);
    ~ClapGui();
    ClapGui(const ClapGui&) = delete;
    ClapGui& operator=(const ClapGui&) = delete;

    EditorSize size() const { return current; }
    // False, changing nothing, for a size the panel cannot take as it is
    // (adjust_size gives one it can).
    bool setSize(EditorSize wanted);
    // The editor in the host's window; false, with the reason logged, when
    // it has one already, the window is not of the API created for or no
    // editor can be made.
    bool setParent(const clap_window_t* window);
    void onTimer(clap_id timer);
    void onFd(int fd);

private:
    ClapGui(TapeDelayClap& instance, std::optional<clap_id> timer);
    // The published values that changed since the editor last had them
    // (but not those of its own open gestures), and the meters.
    void showValues();
    void tick();

    TapeDelayClap& instance;
    std::optional<clap_id> timer;
    EditorSize current = Editor::defaultSize();
    std::unique_ptr<Editor> editor;
    int watchedFd = -1;
#if defined(_WIN32)
    std::unique_ptr<WindowsTimer> windowsTimer;
#endif
    std::vector<double> shown; // by host index, as last handed to the editor
};
