// A CLAP instance of the tape delay, made and driven as a host does
// (without loading the module: the classes are linked in, the plug-in
// library is the built one), with a host that records its log and rescans,
// an input queue of parameter values and transports at sample offsets, an
// output queue that keeps what the plug-in sent, and (when offered) timers
// and flush requests as the editor asks for them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "clap/ext/log.h"
#include "clap/ext/params.h"
#include "clap/ext/state.h"
#include "clap/ext/thread-check.h"
#include "clap/ext/timer-support.h"
#include "clap/module.h"
#include "clap/tapedelayclap.h"

struct ClapRig {
    explicit ClapRig(
        std::uint32_t channels = 1,
        std::shared_ptr<ClapModule> shared = std::make_shared<ClapModule>(TAPEDELAY_PLUGIN_FILE),
        bool timers = false)
        : module(std::move(shared)),
          offersTimers(timers)
    {
        host.host_data = this;
        host.get_extension = [](const clap_host_t* self, const char* id) -> const void* {
            if (std::strcmp(id, CLAP_EXT_LOG) == 0)
                return &Rig(self).hostLog;
            if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
                return &Rig(self).hostParams;
            if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0)
                return &Rig(self).hostThreads;
            if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0 && Rig(self).offersTimers)
                return &Rig(self).hostTimers;
            return nullptr;
        };
        plugin = CreateTapeDelayPlugin(module, &host, channels);
        plugin->init(plugin);
        params = static_cast<const clap_plugin_params_t*>(
            plugin->get_extension(plugin, CLAP_EXT_PARAMS));
        state =
            static_cast<const clap_plugin_state_t*>(plugin->get_extension(plugin, CLAP_EXT_STATE));
        inputs.reserve(65536);
        outputs.reserve(4096);
        sequence.reserve(4096);
    }
    ~ClapRig()
    {
        plugin->deactivate(plugin);
        plugin->destroy(plugin);
    }
    ClapRig(const ClapRig&) = delete;
    ClapRig& operator=(const ClapRig&) = delete;

    bool activate(double rate = 48000.0, std::uint32_t maxFrames = 512)
    {
        return plugin->activate(plugin, rate, 1, maxFrames);
    }

    // A parameter's plain value at a frame of the next block (or flush).
    void change(clap_id id, double value, std::uint32_t frame = 0)
    {
        Event event{};
        event.value.header = {sizeof(clap_event_param_value_t), frame, CLAP_CORE_EVENT_SPACE_ID,
                              CLAP_EVENT_PARAM_VALUE, 0};
        event.value.param_id = id;
        event.value.value = value;
        queue(event);
    }
    // A block's transport at a tempo.
    static clap_event_transport_t Transport(double bpm)
    {
        clap_event_transport_t transport{};
        transport.flags = CLAP_TRANSPORT_HAS_TEMPO;
        transport.tempo = bpm;
        return transport;
    }
    // A tempo change at a frame of the next block.
    void tempoAt(double bpm, std::uint32_t frame)
    {
        Event event{};
        event.transport = Transport(bpm);
        event.transport.header = {sizeof(clap_event_transport_t), frame, CLAP_CORE_EVENT_SPACE_ID,
                                  CLAP_EVENT_TRANSPORT, 0};
        queue(event);
    }

    // One block, each channel in place of its own buffer, allocating
    // nothing; the queued events go with it and are cleared.
    clap_process_status process(std::vector<std::vector<float>>& audio, std::size_t at,
                                std::uint32_t frames,
                                const clap_event_transport_t* transport = nullptr)
    {
        std::vector<float>* channels[2] = {&audio[0], audio.size() > 1 ? &audio[1] : &audio[0]};
        float* in[2] = {};
        float* out[2] = {};
        for (std::size_t c = 0; c < audio.size() && c < 2; ++c) {
            in[c] = channels[c]->data() + at;
            out[c] = scratch[c].data();
        }
        clap_audio_buffer_t input{in, nullptr, static_cast<std::uint32_t>(audio.size()), 0, 0};
        clap_audio_buffer_t output{out, nullptr, static_cast<std::uint32_t>(audio.size()), 0, 0};
        clap_process_t process{};
        process.frames_count = frames;
        process.transport = transport;
        process.audio_inputs = &input;
        process.audio_outputs = &output;
        process.audio_inputs_count = process.audio_outputs_count = 1;
        process.in_events = &inQueue;
        process.out_events = &outQueue;
        outputs.clear();
        sequence.clear();
        const clap_process_status status = plugin->process(plugin, &process);
        inputs.clear();
        for (std::size_t c = 0; c < audio.size() && c < 2; ++c)
            std::memcpy(channels[c]->data() + at, out[c], frames * sizeof(float));
        constantMask = output.constant_mask;
        return status;
    }
    // A click a second (0.5) through the plug-in, in blocks of `block`.
    std::vector<float> clicks(std::size_t frames, std::uint32_t block = 256)
    {
        std::vector<std::vector<float>> audio(1, std::vector<float>(frames, 0.0f));
        for (std::size_t i = 0; i < frames; i += 48000)
            audio[0][i] = 0.5f;
        for (std::size_t at = 0; at < frames; at += block)
            process(audio, at,
                    static_cast<std::uint32_t>(std::min<std::size_t>(block, frames - at)));
        return audio[0];
    }
    // The queued events through params.flush.
    void flush()
    {
        outputs.clear();
        sequence.clear();
        params->flush(plugin, &inQueue, &outQueue);
        inputs.clear();
    }

    // The value last sent for a parameter, or NaN.
    double sent(clap_id id) const
    {
        double value = std::nan("");
        for (const clap_event_param_value_t& event : outputs)
            if (event.param_id == id)
                value = event.value;
        return value;
    }
    double value(clap_id id) const
    {
        double value = std::nan("");
        params->get_value(plugin, id, &value);
        return value;
    }

    std::vector<std::uint8_t> saved() const
    {
        std::vector<std::uint8_t> bytes;
        clap_ostream_t stream{
            &bytes,
            [](const clap_ostream_t* self, const void* data, std::uint64_t size) -> std::int64_t {
                auto* to = static_cast<std::vector<std::uint8_t>*>(self->ctx);
                const auto* from = static_cast<const std::uint8_t*>(data);
                to->insert(to->end(), from, from + size);
                return static_cast<std::int64_t>(size);
            }};
        return state->save(plugin, &stream) ? bytes : std::vector<std::uint8_t>{};
    }
    bool load(const std::vector<std::uint8_t>& bytes)
    {
        struct Reader {
            const std::vector<std::uint8_t>& bytes;
            std::size_t at = 0;
        } reader{bytes};
        clap_istream_t stream{
            &reader,
            [](const clap_istream_t* self, void* data, std::uint64_t size) -> std::int64_t {
                auto& from = *static_cast<Reader*>(self->ctx);
                const std::size_t n = std::min<std::size_t>(size, from.bytes.size() - from.at);
                if (n > 0)
                    std::memcpy(data, from.bytes.data() + from.at, n);
                from.at += n;
                return static_cast<std::int64_t>(n);
            }};
        return state->load(plugin, &stream);
    }

    union Event {
        clap_event_header_t header;
        clap_event_param_value_t value;
        clap_event_transport_t transport;
    };

    // An output event: a value, or a gesture's begin or end (value 0).
    struct Sent {
        std::uint16_t type;
        clap_id id;
        double value;
        bool operator==(const Sent&) const = default;
    };

    std::shared_ptr<ClapModule> module;
    bool offersTimers;
    clap_host_t host{CLAP_VERSION, nullptr, "rig", "", "", "0", nullptr, nullptr, nullptr, nullptr};
    const clap_plugin_t* plugin = nullptr;
    const clap_plugin_params_t* params = nullptr;
    const clap_plugin_state_t* state = nullptr;
    std::vector<Event> inputs;
    std::vector<clap_event_param_value_t> outputs;
    std::vector<Sent> sequence; // every event sent, in order
    int flushRequests = 0;
    std::vector<std::pair<clap_id, std::uint32_t>> timers; // registered: ID, period
    std::vector<std::string> logged;
    int rescans = 0;
    bool mainThread = true; // what the host's thread check answers
    std::uint64_t constantMask = 0;
    std::vector<float> scratch[2] = {std::vector<float>(1 << 16), std::vector<float>(1 << 16)};

private:
    // In time order, as hosts send them; those at one frame in the order given.
    void queue(const Event& event)
    {
        auto at = inputs.end();
        while (at != inputs.begin() && (at - 1)->header.time > event.header.time)
            --at;
        inputs.insert(at, event);
    }

    static ClapRig& Rig(const clap_host_t* host) { return *static_cast<ClapRig*>(host->host_data); }

    const clap_host_log_t hostLog{
        [](const clap_host_t* self, clap_log_severity, const char* message) {
            Rig(self).logged.emplace_back(message);
        }};
    const clap_host_thread_check_t hostThreads{
        [](const clap_host_t* self) { return Rig(self).mainThread; },
        [](const clap_host_t* self) { return !Rig(self).mainThread; }};
    const clap_host_params_t hostParams{
        [](const clap_host_t* self, clap_param_rescan_flags) { ++Rig(self).rescans; },
        [](const clap_host_t*, clap_id, clap_param_clear_flags) {},
        [](const clap_host_t* self) { ++Rig(self).flushRequests; }};
    const clap_host_timer_support_t hostTimers{
        [](const clap_host_t* self, std::uint32_t period, clap_id* id) {
            auto& timers = Rig(self).timers;
            *id = static_cast<clap_id>(100 + timers.size());
            timers.emplace_back(*id, period);
            return true;
        },
        [](const clap_host_t* self, clap_id id) {
            auto& timers = Rig(self).timers;
            const auto before = timers.size();
            std::erase_if(timers, [id](const auto& timer) { return timer.first == id; });
            return timers.size() < before;
        }};
    const clap_input_events_t inQueue{
        this,
        [](const clap_input_events_t* self) {
            return static_cast<std::uint32_t>(static_cast<ClapRig*>(self->ctx)->inputs.size());
        },
        [](const clap_input_events_t* self, std::uint32_t index) -> const clap_event_header_t* {
            return &static_cast<ClapRig*>(self->ctx)->inputs[index].header;
        }};
    const clap_output_events_t outQueue{
        this, [](const clap_output_events_t* self, const clap_event_header_t* event) {
            ClapRig& rig = *static_cast<ClapRig*>(self->ctx);
            if (event->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ||
                event->type == CLAP_EVENT_PARAM_GESTURE_END) {
                const auto& gesture = *reinterpret_cast<const clap_event_param_gesture_t*>(event);
                rig.sequence.push_back({event->type, gesture.param_id, 0.0});
                return true;
            }
            if (event->type != CLAP_EVENT_PARAM_VALUE)
                return false;
            const auto& value = *reinterpret_cast<const clap_event_param_value_t*>(event);
            rig.outputs.push_back(value);
            rig.sequence.push_back({event->type, value.param_id, value.value});
            return true;
        }};
};
