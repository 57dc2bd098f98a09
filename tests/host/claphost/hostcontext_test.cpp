// The host a CLAP plug-in sees in the CLAP host: its log, thread check,
// callback request, and the requests it records, with the ones the CLAP
// rules forbid while active told as breaches.
#include <gtest/gtest.h>

#include <clap/ext/latency.h>
#include <clap/ext/log.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>

#include <sstream>

#include "host/claphost/claphostcontext.h"

namespace {

template <class Extension>
const Extension& Get(const ClapHostContext& context, const char* id)
{
    const clap_host_t* host = context.host();
    const void* extension = host->get_extension(host, id);
    EXPECT_NE(extension, nullptr) << id;
    return *static_cast<const Extension*>(extension);
}

TEST(ClapHostContext, LogsAndTellsTheThreadByWhetherItProcesses)
{
    std::ostringstream log;
    ClapHostContext context("testhost", log);
    const clap_host_t* host = context.host();
    EXPECT_EQ(host->get_extension(host, "clap.no-such-extension"), nullptr);

    Get<clap_host_log_t>(context, CLAP_EXT_LOG).log(host, CLAP_LOG_ERROR, "rate refused");
    Get<clap_host_log_t>(context, CLAP_EXT_LOG).log(host, CLAP_LOG_PLUGIN_MISBEHAVING, "oops");
    EXPECT_EQ(log.str(), "testhost: plug-in error: rate refused\n"
                         "testhost: plug-in plug-in misbehaving: oops\n");

    const auto& threads = Get<clap_host_thread_check_t>(context, CLAP_EXT_THREAD_CHECK);
    EXPECT_TRUE(threads.is_main_thread(host));
    EXPECT_FALSE(threads.is_audio_thread(host));
    context.setProcessing(true);
    EXPECT_FALSE(threads.is_main_thread(host));
    EXPECT_TRUE(threads.is_audio_thread(host));

    EXPECT_FALSE(context.takeCallbackRequest());
    host->request_callback(host);
    EXPECT_TRUE(context.takeCallbackRequest());
    EXPECT_FALSE(context.takeCallbackRequest());
}

TEST(ClapHostContext, RecordsRequestsAndTellsThoseTheRulesForbidWhileActive)
{
    std::ostringstream log;
    ClapHostContext context("testhost", log);
    const clap_host_t* host = context.host();
    const auto& params = Get<clap_host_params_t>(context, CLAP_EXT_PARAMS);
    const auto& latency = Get<clap_host_latency_t>(context, CLAP_EXT_LATENCY);

    // Inactive, anything goes.
    params.rescan(host, CLAP_PARAM_RESCAN_ALL);
    latency.changed(host);
    EXPECT_TRUE(context.ruleBreaches().empty());

    context.setActive(true);
    params.rescan(host, CLAP_PARAM_RESCAN_VALUES);
    params.clear(host, 7, CLAP_PARAM_CLEAR_ALL);
    params.request_flush(host);
    Get<clap_host_state_t>(context, CLAP_EXT_STATE).mark_dirty(host);
    EXPECT_TRUE(context.ruleBreaches().empty());
    params.rescan(host, CLAP_PARAM_RESCAN_INFO);
    latency.changed(host);

    const ClapHostContext::Requests& asked = context.requests();
    EXPECT_EQ(asked.rescans, 3);
    EXPECT_EQ(asked.infoRescansWhileActive, 1);
    EXPECT_EQ(asked.clears, 1);
    EXPECT_EQ(asked.flushes, 1);
    EXPECT_EQ(asked.dirty, 1);
    EXPECT_EQ(asked.latencyChanges, 2);
    EXPECT_EQ(context.ruleBreaches(),
              (std::vector<std::string>{
                  "the plug-in asked for 1 rescan(s) of its parameters' info while active",
                  "the plug-in changed its latency 1 time(s) while active, outside activate()"}));
    EXPECT_EQ(log.str(), "");
}

} // namespace
