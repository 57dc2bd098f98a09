// The host a CLAP plug-in is created with: its clap_host_t and the
// extensions it offers. The log goes to the host's warnings stream; the
// thread check knows the one thread as the audio thread inside process()
// and as the main thread outside it; a requested callback is kept for the
// caller to run on the main thread; the requests a test host has no use for
// (rescans, clears, flushes, restarts, processing, a dirty state, a changed
// latency or tail) are only counted, and those the CLAP rules forbid while
// the plug-in is active are told once the render ends; a flush or process
// the plug-in asks for is kept for the caller too. An open editor's
// services (gui, timers, descriptors) are the context's own.
#pragma once

#include <clap/host.h>

#include "clapeditorservices.h"

#include <ostream>
#include <string>
#include <vector>

class ClapHostContext {
public:
    ClapHostContext(const char* name, std::ostream& log);
    ClapHostContext(const ClapHostContext&) = delete;
    ClapHostContext& operator=(const ClapHostContext&) = delete;

    const clap_host_t* host() const { return &clapHost; }

    // What the plug-in asked of the host, and when.
    struct Requests {
        int restarts = 0;
        int processes = 0;
        int rescans = 0;
        int infoRescansWhileActive = 0; // CLAP_PARAM_RESCAN_ALL or _INFO: needs deactivation
        int clears = 0;
        int flushes = 0;
        int dirty = 0;
        int latencyChanges = 0;
        int latencyChangesWhileActive = 0; // only allowed within activate()
        int tailChanges = 0;
    };
    const Requests& requests() const { return asked; }

    // [main] whether the plug-in asked for on_main_thread since the last call.
    bool takeCallbackRequest();
    // [main] whether the plug-in asked for a flush or a process since the
    // last call.
    bool takeFlushRequest();

    ClapEditorServices& editorServices() { return editor; }

    // [main] the plug-in's state, as the thread check and the rules see it.
    void setActive(bool on) { active = on; }
    void setProcessing(bool on) { processing = on; }

    // The requests the rules forbid, one line each.
    std::vector<std::string> ruleBreaches() const;

    static ClapHostContext& of(const clap_host_t* host);

private:
    static const void* extension(const clap_host_t* host, const char* id);

    clap_host_t clapHost{};
    std::ostream& log;
    std::string prefix;
    Requests asked;
    bool active = false;
    bool processing = false;
    bool callbackRequested = false;
    bool flushRequested = false;
    ClapEditorServices editor;
};
