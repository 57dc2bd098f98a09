#include "clapinstance.h"

#include <clap/stream.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "host/pluginhost/hosterrors.h"

namespace {

// A state read back from memory.
struct Reading {
    const std::vector<char>& bytes;
    std::size_t position = 0;
};

} // namespace

ClapInstance::ClapInstance(const clap_plugin_factory_t& factory, const char* id,
                           ClapHostContext& context)
    : context(context)
{
    clapPlugin = factory.create_plugin(&factory, context.host(), id);
    if (clapPlugin == nullptr)
        throw PluginFailure(std::string("the plug-in's factory made no plug-in ") + id);
    if (!clapPlugin->init(clapPlugin)) {
        clapPlugin->destroy(clapPlugin);
        throw PluginFailure(std::string("the plug-in ") + id + " refused init");
    }
    paramsExtension = static_cast<const clap_plugin_params_t*>(
        clapPlugin->get_extension(clapPlugin, CLAP_EXT_PARAMS));
    stateExtension = static_cast<const clap_plugin_state_t*>(
        clapPlugin->get_extension(clapPlugin, CLAP_EXT_STATE));
    portsExtension = static_cast<const clap_plugin_audio_ports_t*>(
        clapPlugin->get_extension(clapPlugin, CLAP_EXT_AUDIO_PORTS));
    if (paramsExtension == nullptr || stateExtension == nullptr || portsExtension == nullptr) {
        clapPlugin->destroy(clapPlugin);
        throw PluginFailure(std::string("the plug-in ") + id +
                            " lacks the params, state or audio-ports extension");
    }
}

ClapInstance::~ClapInstance()
{
    stop();
    clapPlugin->destroy(clapPlugin);
}

bool ClapInstance::hasPorts(std::uint32_t channels) const
{
    clap_audio_port_info_t in{}, out{};
    return portsExtension->count(clapPlugin, true) >= 1 &&
           portsExtension->count(clapPlugin, false) >= 1 &&
           portsExtension->get(clapPlugin, 0, true, &in) &&
           portsExtension->get(clapPlugin, 0, false, &out) && in.channel_count == channels &&
           out.channel_count == channels;
}

bool ClapInstance::info(std::uint32_t index, clap_param_info_t& info) const
{
    if (index >= paramsExtension->count(clapPlugin) ||
        !paramsExtension->get_info(clapPlugin, index, &info))
        return false;
    info.name[sizeof info.name - 1] = '\0';
    info.module[sizeof info.module - 1] = '\0';
    return true;
}

bool ClapInstance::infoOf(clap_id id, clap_param_info_t& found) const
{
    for (std::uint32_t i = 0; info(i, found); ++i)
        if (found.id == id)
            return true;
    return false;
}

void ClapInstance::start(double rate, std::uint32_t longestBlock)
{
    if (!clapPlugin->activate(clapPlugin, rate, 1, longestBlock))
        throw PluginFailure("the plug-in refused to activate at " +
                            std::to_string(std::lround(rate)) + " Hz in blocks of up to " +
                            std::to_string(longestBlock) + " frames");
    active = true;
    context.setActive(true);
    context.setProcessing(true);
    processing = clapPlugin->start_processing(clapPlugin);
    context.setProcessing(false);
    if (!processing)
        throw PluginFailure("the plug-in refused to start processing");
}

clap_process_status ClapInstance::process(const clap_process_t& process)
{
    context.setProcessing(true);
    const clap_process_status status = clapPlugin->process(clapPlugin, &process);
    context.setProcessing(false);
    return status;
}

void ClapInstance::flush(const clap_input_events_t* in, const clap_output_events_t* out)
{
    context.setProcessing(active);
    paramsExtension->flush(clapPlugin, in, out);
    context.setProcessing(false);
}

void ClapInstance::stop()
{
    if (processing) {
        context.setProcessing(true);
        clapPlugin->stop_processing(clapPlugin);
        context.setProcessing(false);
    }
    if (active)
        clapPlugin->deactivate(clapPlugin);
    context.setActive(false);
    processing = active = false;
}

std::vector<char> ClapInstance::save() const
{
    std::vector<char> bytes;
    const clap_ostream_t stream{
        &bytes,
        [](const clap_ostream_t* stream, const void* buffer, std::uint64_t size) -> std::int64_t {
            auto& bytes = *static_cast<std::vector<char>*>(stream->ctx);
            const char* begin = static_cast<const char*>(buffer);
            bytes.insert(bytes.end(), begin, begin + size);
            return static_cast<std::int64_t>(size);
        }};
    if (!stateExtension->save(clapPlugin, &stream))
        throw PluginFailure("the plug-in refused state.save");
    return bytes;
}

void ClapInstance::load(const std::vector<char>& state)
{
    Reading reading{state};
    const clap_istream_t stream{
        &reading,
        [](const clap_istream_t* stream, void* buffer, std::uint64_t size) -> std::int64_t {
            auto& reading = *static_cast<Reading*>(stream->ctx);
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>(size, reading.bytes.size() - reading.position));
            if (n > 0)
                std::memcpy(buffer, reading.bytes.data() + reading.position, n);
            reading.position += n;
            return static_cast<std::int64_t>(n);
        }};
    if (!stateExtension->load(clapPlugin, &stream))
        throw PluginFailure("the plug-in refused state.load");
}
