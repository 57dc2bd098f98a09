// What the plug-in asks of its CLAP host: its log (standard error when it
// has none), its thread check (trusted as "yes" when it has none) and the
// parameter rescan after a state changed the values.
#pragma once

#include "clap/ext/log.h"
#include "clap/ext/params.h"
#include "clap/ext/thread-check.h"
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

private:
    const clap_host_t* host = nullptr;
    const clap_host_log_t* hostLog = nullptr;
    const clap_host_thread_check_t* threadCheck = nullptr;
    const clap_host_params_t* params = nullptr;
};
