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
