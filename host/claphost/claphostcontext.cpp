#include "claphostcontext.h"

#include <clap/ext/latency.h>
#include <clap/ext/log.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/tail.h>
#include <clap/ext/thread-check.h>

#include <cstring>

namespace {

const char* severityText(clap_log_severity severity)
{
    switch (severity) {
    case CLAP_LOG_DEBUG: return "debug";
    case CLAP_LOG_INFO: return "info";
    case CLAP_LOG_WARNING: return "warning";
    case CLAP_LOG_ERROR: return "error";
    case CLAP_LOG_FATAL: return "fatal";
    case CLAP_LOG_HOST_MISBEHAVING: return "host misbehaving";
    case CLAP_LOG_PLUGIN_MISBEHAVING: return "plug-in misbehaving";
    default: return "log";
    }
}

} // namespace

ClapHostContext::ClapHostContext(const char* name, std::ostream& log)
    : log(log),
      prefix(std::string(name) + ": plug-in ")
{
    clapHost.clap_version = CLAP_VERSION;
    clapHost.host_data = this;
    clapHost.name = name;
    clapHost.vendor = "tapedelay tests";
    clapHost.url = "";
    clapHost.version = "1";
    clapHost.get_extension = extension;
    clapHost.request_restart = [](const clap_host_t* host) { ++of(host).asked.restarts; };
    clapHost.request_process = [](const clap_host_t* host) {
        ++of(host).asked.processes;
        of(host).flushRequested = true;
    };
    clapHost.request_callback = [](const clap_host_t* host) { of(host).callbackRequested = true; };
}

ClapHostContext& ClapHostContext::of(const clap_host_t* host)
{
    return *static_cast<ClapHostContext*>(host->host_data);
}

bool ClapHostContext::takeCallbackRequest()
{
    const bool requested = callbackRequested;
    callbackRequested = false;
    return requested;
}

bool ClapHostContext::takeFlushRequest()
{
    const bool requested = flushRequested;
    flushRequested = false;
    return requested;
}

ClapEditorServices& EditorServicesOf(const clap_host_t* host)
{
    return ClapHostContext::of(host).editorServices();
}

const void* ClapHostContext::extension(const clap_host_t*, const char* id)
{
    static const clap_host_log_t log{
        [](const clap_host_t* host, clap_log_severity severity, const char* message) {
            ClapHostContext& context = of(host);
            context.log << context.prefix << severityText(severity) << ": "
                        << (message != nullptr ? message : "") << '\n';
        }};
    static const clap_host_thread_check_t threadCheck{
        [](const clap_host_t* host) { return !of(host).processing; },
        [](const clap_host_t* host) { return of(host).processing; }};
    static const clap_host_params_t params{
        [](const clap_host_t* host, clap_param_rescan_flags flags) {
            ClapHostContext& context = of(host);
            ++context.asked.rescans;
            if (context.active && (flags & (CLAP_PARAM_RESCAN_ALL | CLAP_PARAM_RESCAN_INFO)) != 0)
                ++context.asked.infoRescansWhileActive;
        },
        [](const clap_host_t* host, clap_id, clap_param_clear_flags) { ++of(host).asked.clears; },
        [](const clap_host_t* host) {
            ++of(host).asked.flushes;
            of(host).flushRequested = true;
        }};
    static const clap_host_state_t state{[](const clap_host_t* host) { ++of(host).asked.dirty; }};
    static const clap_host_latency_t latency{[](const clap_host_t* host) {
        ClapHostContext& context = of(host);
        ++context.asked.latencyChanges;
        if (context.active)
            ++context.asked.latencyChangesWhileActive;
    }};
    static const clap_host_tail_t tail{
        [](const clap_host_t* host) { ++of(host).asked.tailChanges; }};

    if (id == nullptr)
        return nullptr;
    if (std::strcmp(id, CLAP_EXT_LOG) == 0)
        return &log;
    if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0)
        return &threadCheck;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
        return &params;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0)
        return &state;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0)
        return &latency;
    if (std::strcmp(id, CLAP_EXT_TAIL) == 0)
        return &tail;
    return ClapEditorServices::extension(id);
}

std::vector<std::string> ClapHostContext::ruleBreaches() const
{
    std::vector<std::string> lines;
    if (asked.infoRescansWhileActive > 0)
        lines.push_back("the plug-in asked for " + std::to_string(asked.infoRescansWhileActive) +
                        " rescan(s) of its parameters' info while active");
    if (asked.latencyChangesWhileActive > 0)
        lines.push_back("the plug-in changed its latency " +
                        std::to_string(asked.latencyChangesWhileActive) +
                        " time(s) while active, outside activate()");
    return lines;
}
