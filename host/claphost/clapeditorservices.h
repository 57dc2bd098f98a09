// What a CLAP host offers a plug-in's editor while it is open: the gui
// extension's requests (a resize reaches the host window), timer-support
// and, on Linux, posix-fd-support, both served by the host's RunLoop. Away
// from an open editor, timers and descriptors are refused. What the
// plug-in left registered is taken off the loop when the editor closes.
#pragma once

#include <clap/ext/posix-fd-support.h>
#include <clap/ext/timer-support.h>
#include <clap/host.h>
#include <clap/plugin.h>

#include <cstddef>
#include <map>

#include "host/pluginhost/hostwindow.h"
#include "host/pluginhost/runloop.h"

class ClapEditorServices;

// The services of the host a plug-in's call comes with (the host context
// owns them).
ClapEditorServices& EditorServicesOf(const clap_host_t* host);

class ClapEditorServices {
public:
    ClapEditorServices() = default;
    ClapEditorServices(const ClapEditorServices&) = delete;
    ClapEditorServices& operator=(const ClapEditorServices&) = delete;

    // The host extension of that id (CLAP_EXT_GUI, CLAP_EXT_TIMER_SUPPORT,
    // CLAP_EXT_POSIX_FD_SUPPORT on Linux), or null.
    static const void* extension(const char* id);

    // [main] for `plugin`'s editor, in `window` on `loop`.
    void attach(const clap_plugin_t& plugin, HostWindow& window, RunLoop& loop);
    // [main] returns how many timers and descriptors the plug-in left
    // registered (now removed).
    std::size_t detach();

    bool registerTimer(std::uint32_t periodMs, clap_id* id);
    bool unregisterTimer(clap_id id);
    bool registerFd(int fd, clap_posix_fd_flags_t flags);
    bool modifyFd(int fd, clap_posix_fd_flags_t flags);
    bool unregisterFd(int fd);
    bool requestResize(std::uint32_t width, std::uint32_t height);

private:
    const clap_plugin_t* plugin = nullptr;
    const clap_plugin_timer_support_t* timerSupport = nullptr;
    const clap_plugin_posix_fd_support_t* fdSupport = nullptr;
    HostWindow* window = nullptr;
    RunLoop* loop = nullptr;
    clap_id lastTimer = 0;
    std::map<clap_id, RunLoop::Id> timers;
    std::map<int, RunLoop::Id> fds;
};
