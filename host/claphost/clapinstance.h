// One CLAP plug-in instance driven as a host drives it: created from the
// factory and initialised, its params, state and audio-ports extensions
// looked up; activated and processing; stopped, deactivated and destroyed
// in the reverse order.
#pragma once

#include <clap/ext/audio-ports.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/factory/plugin-factory.h>

#include <cstdint>
#include <vector>

#include "claphostcontext.h"

class ClapInstance {
public:
    // [main] throws PluginFailure when the factory makes no plug-in, init
    // fails or the plug-in lacks the params, state or audio-ports
    // extension.
    ClapInstance(const clap_plugin_factory_t& factory, const char* id, ClapHostContext& context);
    ~ClapInstance();
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap_plugin_t& plugin() const { return *clapPlugin; }
    const clap_plugin_params_t& params() const { return *paramsExtension; }

    // [main] whether its first input and output port have `channels`
    // channels each.
    bool hasPorts(std::uint32_t channels) const;

    // [main] the parameter's info by its index, by its id; false when there
    // is none.
    bool info(std::uint32_t index, clap_param_info_t& info) const;
    bool infoOf(clap_id id, clap_param_info_t& info) const;

    // [main] activation and processing on. Throws PluginFailure when the
    // plug-in refuses either.
    void start(double rate, std::uint32_t longestBlock);
    // [audio] the plug-in's status.
    clap_process_status process(const clap_process_t& process);
    // [main when inactive, audio when active] params.flush.
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);

    // [main] throws PluginFailure when the plug-in refuses.
    std::vector<char> save() const;
    void load(const std::vector<char>& state);

private:
    void stop();

    ClapHostContext& context;
    const clap_plugin_t* clapPlugin = nullptr;
    const clap_plugin_params_t* paramsExtension = nullptr;
    const clap_plugin_state_t* stateExtension = nullptr;
    const clap_plugin_audio_ports_t* portsExtension = nullptr;
    bool active = false;
    bool processing = false;
};
