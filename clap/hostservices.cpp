#include "hostservices.h"

#include <cstdio>
#include <string>

namespace {

template <class Extension>
const Extension* Find(const clap_host_t* host, const char* id)
{
    return host != nullptr && host->get_extension != nullptr
               ? static_cast<const Extension*>(host->get_extension(host, id))
               : nullptr;
}

} // namespace

void HostServices::connect(const clap_host_t* connected)
{
    host = connected;
    hostLog = Find<clap_host_log_t>(host, CLAP_EXT_LOG);
    threadCheck = Find<clap_host_thread_check_t>(host, CLAP_EXT_THREAD_CHECK);
    params = Find<clap_host_params_t>(host, CLAP_EXT_PARAMS);
    timers = Find<clap_host_timer_support_t>(host, CLAP_EXT_TIMER_SUPPORT);
    fds = Find<clap_host_posix_fd_support_t>(host, CLAP_EXT_POSIX_FD_SUPPORT);
}

void HostServices::log(clap_log_severity severity, const char* message) const
{
    if (hostLog != nullptr && hostLog->log != nullptr)
        hostLog->log(host, severity, message);
    else
        std::fprintf(stderr, "tapedelay.clap: %s\n", message);
}

bool HostServices::onMainThread(const char* call) const
{
    if (threadCheck == nullptr || threadCheck->is_main_thread == nullptr ||
        threadCheck->is_main_thread(host))
        return true;
    const std::string message = std::string(call) + " called off the main thread: refused";
    log(CLAP_LOG_HOST_MISBEHAVING, message.c_str());
    return false;
}

void HostServices::valuesChanged() const
{
    if (params != nullptr && params->rescan != nullptr)
        params->rescan(host, CLAP_PARAM_RESCAN_VALUES);
}

void HostServices::requestFlush() const
{
    if (params != nullptr && params->request_flush != nullptr)
        params->request_flush(host);
    else if (host != nullptr && host->request_process != nullptr)
        host->request_process(host);
}

bool HostServices::offersTimers() const
{
    return timers != nullptr && timers->register_timer != nullptr &&
           timers->unregister_timer != nullptr;
}

std::optional<clap_id> HostServices::registerTimer(std::uint32_t milliseconds) const
{
    clap_id timer = CLAP_INVALID_ID;
    if (!offersTimers() || !timers->register_timer(host, milliseconds, &timer))
        return std::nullopt;
    return timer;
}

void HostServices::unregisterTimer(clap_id timer) const
{
    if (offersTimers())
        timers->unregister_timer(host, timer);
}

bool HostServices::registerFd(int fd) const
{
    return fd >= 0 && fds != nullptr && fds->register_fd != nullptr &&
           fds->unregister_fd != nullptr && fds->register_fd(host, fd, CLAP_POSIX_FD_READ);
}

void HostServices::unregisterFd(int fd) const
{
    if (fds != nullptr && fds->unregister_fd != nullptr)
        fds->unregister_fd(host, fd);
}
