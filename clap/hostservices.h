// What the plug-in asks of its CLAP host: its log (standard error when it
// has none), its thread check (trusted as "yes" when it has none), the
// parameter rescan after a state changed the values, the flush that carries
// the editor's gestures, and the timer and file descriptor that drive the
// editor.
#pragma once

#include <cstdint>
#include <optional>

#include "clap/ext/log.h"
#include "clap/ext/params.h"
#include "clap/ext/posix-fd-support.h"
#include "clap/ext/thread-check.h"
#include "clap/ext/timer-support.h"
#include "clap/host.h"

class HostServices {
public:
    // [main] after the plug-in's init.
    void connect(const clap_host_t* host);

    // [any] the host's log, or standard error.
    void log(clap_log_severity severity, const char* message) const;
    // [any] false only when the host says this is not its main thread; then
    // the call named is logged as the host's misuse.
    bool onMainThread(const char* call) const;
    // [main] the host re-reads every parameter's value.
    void valuesChanged() const;
    // [main] a process or flush soon, even while the host processes nothing.
    void requestFlush() const;

    // [main] a timer the host calls back on the main thread every period,
    // or none when the host offers no timers or refuses.
    bool offersTimers() const;
    std::optional<clap_id> registerTimer(std::uint32_t milliseconds) const;
    void unregisterTimer(clap_id timer) const;
    // [main] the host's call back when fd can be read; false when it
    // offers no such watch or refuses.
    bool registerFd(int fd) const;
    void unregisterFd(int fd) const;

private:
    const clap_host_t* host = nullptr;
    const clap_host_log_t* hostLog = nullptr;
    const clap_host_thread_check_t* threadCheck = nullptr;
    const clap_host_params_t* params = nullptr;
    const clap_host_timer_support_t* timers = nullptr;
    const clap_host_posix_fd_support_t* fds = nullptr;
};
