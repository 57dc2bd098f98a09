// The C face of a TapeDelayClap: the plug-in's functions and the tables of
// the extensions it offers, each forwarding to the instance.
#include <cstdio>
#include <cstring>
#include <exception>

#include "clap/ext/audio-ports.h"
#include "clap/ext/latency.h"
#include "clap/ext/params.h"
#include "clap/ext/render.h"
#include "clap/ext/state.h"
#include "clap/ext/tail.h"
#include "guicallbacks.h"
#include "tapedelayclap.h"

namespace {

TapeDelayClap& Self(const clap_plugin_t* plugin)
{
    return TapeDelayClap::Of(plugin);
}

// params
std::uint32_t ParamsCount(const clap_plugin_t* plugin)
{
    return Self(plugin).shared().parameters.count();
}

bool ParamsInfo(const clap_plugin_t* plugin, std::uint32_t index, clap_param_info_t* info)
{
    const ClapParameter* parameter = Self(plugin).shared().parameters.at(index);
    if (parameter == nullptr || info == nullptr)
        return false;
    *info = parameter->info;
    return true;
}

bool ParamsValue(const clap_plugin_t* plugin, clap_id id, double* value)
{
    return Self(plugin).value(id, value);
}

bool ParamsValueToText(const clap_plugin_t* plugin, clap_id id, double value, char* text,
                       std::uint32_t capacity)
{
    return Self(plugin).shared().parameters.valueToText(id, value, text, capacity);
}

bool ParamsTextToValue(const clap_plugin_t* plugin, clap_id id, const char* text, double* value)
{
    return Self(plugin).shared().parameters.textToValue(id, text, value);
}

void ParamsFlush(const clap_plugin_t* plugin, const clap_input_events_t* in,
                 const clap_output_events_t* out)
{
    Self(plugin).flush(in, out);
}

const clap_plugin_params_t kParams = {ParamsCount,       ParamsInfo,        ParamsValue,
                                      ParamsValueToText, ParamsTextToValue, ParamsFlush};

// audio-ports: one main port each way, mono or stereo as the descriptor.
std::uint32_t PortsCount(const clap_plugin_t*, bool)
{
    return 1;
}

bool PortsGet(const clap_plugin_t* plugin, std::uint32_t index, bool isInput,
              clap_audio_port_info_t* info)
{
    if (index != 0 || info == nullptr)
        return false;
    const std::uint32_t channels = Self(plugin).channels();
    *info = {};
    info->id = 0;
    std::snprintf(info->name, sizeof info->name, "%s", isInput ? "Input" : "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = channels;
    info->port_type = channels == 1 ? CLAP_PORT_MONO : CLAP_PORT_STEREO;
    info->in_place_pair = CLAP_INVALID_ID;
    return true;
}

const clap_plugin_audio_ports_t kAudioPorts = {PortsCount, PortsGet};

// state
bool StateSave(const clap_plugin_t* plugin, const clap_ostream_t* stream)
{
    return Self(plugin).save(stream);
}

bool StateLoad(const clap_plugin_t* plugin, const clap_istream_t* stream)
{
    return Self(plugin).load(stream);
}

const clap_plugin_state_t kState = {StateSave, StateLoad};

// latency 0; a tail as long as the feedback keeps echoing.
std::uint32_t Latency(const clap_plugin_t*)
{
    return 0;
}

std::uint32_t Tail(const clap_plugin_t*)
{
    return UINT32_MAX;
}

const clap_plugin_latency_t kLatency = {Latency};
const clap_plugin_tail_t kTail = {Tail};

// render: offline and real time sound the same.
bool HardRealtime(const clap_plugin_t*)
{
    return false;
}

bool SetRenderMode(const clap_plugin_t*, clap_plugin_render_mode)
{
    return true;
}

const clap_plugin_render_t kRender = {HardRealtime, SetRenderMode};

// the plug-in itself
bool Init(const clap_plugin_t* plugin)
{
    return Self(plugin).init();
}

void Destroy(const clap_plugin_t* plugin)
{
    delete &Self(plugin);
}

bool Activate(const clap_plugin_t* plugin, double sampleRate, std::uint32_t,
              std::uint32_t maxFrames)
{
    return Self(plugin).activate(sampleRate, maxFrames);
}

void Deactivate(const clap_plugin_t* plugin)
{
    Self(plugin).deactivate();
}

bool StartProcessing(const clap_plugin_t*)
{
    return true;
}

void StopProcessing(const clap_plugin_t*) {}

void Reset(const clap_plugin_t* plugin)
{
    Self(plugin).reset();
}

clap_process_status Process(const clap_plugin_t* plugin, const clap_process_t* process)
{
    return process != nullptr ? Self(plugin).process(*process) : CLAP_PROCESS_ERROR;
}

const void* Extension(const clap_plugin_t*, const char* id)
{
    if (id == nullptr)
        return nullptr;
    const struct {
        const char* id;
        const void* table;
    } extensions[] = {
        {CLAP_EXT_PARAMS, &kParams}, {CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
        {CLAP_EXT_STATE, &kState},   {CLAP_EXT_LATENCY, &kLatency},
        {CLAP_EXT_TAIL, &kTail},     {CLAP_EXT_RENDER, &kRender},
    };
    for (const auto& extension : extensions)
        if (std::strcmp(id, extension.id) == 0)
            return extension.table;
    return GuiExtension(id);
}

void OnMainThread(const clap_plugin_t*) {}

} // namespace

const clap_plugin_t* CreateTapeDelayPlugin(std::shared_ptr<ClapModule> module,
                                           const clap_host_t* host, std::uint32_t channels)
{
    const clap_plugin_descriptor_t* descriptor = &module->descriptors[channels - 1];
    TapeDelayClap* instance = nullptr;
    try {
        instance = new TapeDelayClap(std::move(module), host, channels);
    } catch (const std::exception&) {
        return nullptr;
    }
    instance->clap = {descriptor,      instance,       Init,  Destroy, Activate,  Deactivate,
                      StartProcessing, StopProcessing, Reset, Process, Extension, OnMainThread};
    return &instance->clap;
}
