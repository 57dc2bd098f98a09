#include "clapplugin.h"

#include <clap/process.h>

#include "clapeditor.h"
#include "clapevents.h"
#include "claphostcontext.h"
#include "clapinstance.h"
#include "clapmodule.h"
#include "clapparameters.h"

namespace {

std::string channelsText(std::uint32_t channels)
{
    return channels == 2 ? "stereo" : "mono";
}

class ClapPlugin final : public HostedPlugin {
public:
    ClapPlugin(const HostOptions& options, const RenderSetup& setup, std::ostream& log)
        : module(options.plugin),
          context("claphost", log),
          log(log),
          setup(setup)
    {
        id = options.pluginId.empty() ? fittingId(options.plugin) : givenId(options.pluginId);
        instance = std::make_unique<ClapInstance>(module.factory(), id.c_str(), context);
        if (!instance->hasPorts(setup.channels))
            throw HostInputError("--plugin-id " + id + ": its audio ports are not " +
                                 channelsText(setup.channels) + " like the input's");
    }

    ~ClapPlugin() override
    {
        instance.reset();
        for (const std::string& breach : context.ruleBreaches())
            log << "claphost: warning: " << breach << '\n';
    }

    ParameterSetting resolve(const ParameterText& setting) override
    {
        return ResolveClapSetting(*instance, setting);
    }

    void give(std::span<const ParameterSetting> starting) override
    {
        events.clear();
        for (const ParameterSetting& value : starting)
            events.addValue(0, value.id, value.value);
        instance->flush(events.list(), DroppingOutputEvents());
    }

    void start() override { instance->start(setup.rate, setup.longestBlock); }

    void process(const HostBlock& block) override
    {
        // Values and tempo changes merged by time; at the same sample the
        // tempo first.
        events.clear();
        auto change = block.changes.begin();
        auto tempo = block.tempoChanges.begin();
        while (change != block.changes.end() || tempo != block.tempoChanges.end())
            if (tempo != block.tempoChanges.end() &&
                (change == block.changes.end() || tempo->offset <= change->offset)) {
                events.addTempo(tempo->offset, tempo->bpm);
                ++tempo;
            } else {
                events.addValue(change->offset, change->setting.id, change->setting.value);
                ++change;
            }

        const clap_event_transport_t transport = TransportAt(0, block.tempo);
        clap_audio_buffer_t in{};
        in.data32 = const_cast<float**>(block.inputs);
        in.channel_count = setup.channels;
        clap_audio_buffer_t out{};
        out.data32 = const_cast<float**>(block.outputs);
        out.channel_count = setup.channels;
        clap_process_t process{};
        process.steady_time = static_cast<std::int64_t>(block.frame);
        process.frames_count = block.frames;
        process.transport = &transport;
        process.audio_inputs = &in;
        process.audio_outputs = &out;
        process.audio_inputs_count = 1;
        process.audio_outputs_count = 1;
        process.in_events = events.list();
        process.out_events = DroppingOutputEvents();
        if (instance->process(process) == CLAP_PROCESS_ERROR)
            throw PluginFailure("the plug-in's process failed at frame " +
                                std::to_string(block.frame));
        if (context.takeCallbackRequest())
            instance->plugin().on_main_thread(&instance->plugin());
    }

    void restore() override
    {
        const std::vector<char> state = instance->save();
        instance.reset();
        instance = std::make_unique<ClapInstance>(module.factory(), id.c_str(), context);
        instance->load(state);
        instance->start(setup.rate, setup.longestBlock);
    }

    std::vector<std::string> valueLines() override { return ClapValueLines(*instance); }

    std::unique_ptr<PluginEditor> openEditor(HostWindow& window, RunLoop& loop,
                                             GestureLog& gestures) override
    {
        return std::make_unique<Open>(*this, window, loop, gestures);
    }

    // As automation while the plug-in is not processing: a value event
    // through params.flush.
    void changeFromHost(const ParameterSetting& setting) override
    {
        events.clear();
        events.addValue(0, setting.id, setting.value);
        instance->flush(events.list(), outputs());
    }

private:
    // The editor open, the flushes and main-thread callbacks the plug-in
    // asks for served after every round of the run loop, its gestures
    // logged; on close one more round, for what it sent while it went.
    struct Open final : PluginEditor {
        Open(ClapPlugin& owner, HostWindow& window, RunLoop& loop, GestureLog& gestures)
            : owner(owner),
              loop(loop),
              out(gestures)
        {
            // What the plug-in asks for while its gui is made waits for the
            // loop's first round; an editor that fails leaves nothing set.
            editor = std::make_unique<ClapEditor>(*owner.instance, owner.context.editorServices(),
                                                  window, loop, owner.log);
            owner.gestures = &out;
            loop.afterEachRound([&owner] { owner.serveRequests(); });
        }
        ~Open() override
        {
            editor.reset();
            owner.serveRequests();
            loop.afterEachRound({});
            owner.gestures = nullptr;
        }
        ClapPlugin& owner;
        RunLoop& loop;
        ClapGestureEvents out;
        std::unique_ptr<ClapEditor> editor;
    };

    const clap_output_events_t* outputs() const
    {
        return gestures != nullptr ? gestures->list() : DroppingOutputEvents();
    }

    void serveRequests()
    {
        if (context.takeCallbackRequest())
            instance->plugin().on_main_thread(&instance->plugin());
        if (context.takeFlushRequest()) {
            events.clear();
            instance->flush(events.list(), outputs());
        }
    }

    // The descriptor's id when the factory has it.
    std::string givenId(const std::string& wanted) const
    {
        const clap_plugin_factory_t& factory = module.factory();
        std::string ids;
        for (std::uint32_t i = 0; i < factory.get_plugin_count(&factory); ++i)
            if (const clap_plugin_descriptor_t* d = factory.get_plugin_descriptor(&factory, i);
                d != nullptr && d->id != nullptr) {
                if (d->id == wanted)
                    return wanted;
                ids += (ids.empty() ? "" : ", ") + std::string(d->id);
            }
        throw HostInputError("--plugin-id " + wanted + ": the file has no such plug-in (it has " +
                             (ids.empty() ? "none" : ids) + ")");
    }

    // The first descriptor whose audio ports have the input's channels.
    std::string fittingId(const std::string& file)
    {
        const clap_plugin_factory_t& factory = module.factory();
        for (std::uint32_t i = 0; i < factory.get_plugin_count(&factory); ++i) {
            const clap_plugin_descriptor_t* d = factory.get_plugin_descriptor(&factory, i);
            if (d != nullptr && d->id != nullptr &&
                ClapInstance(factory, d->id, context).hasPorts(setup.channels))
                return d->id;
        }
        throw HostInputError(file + ": no plug-in in it has " + channelsText(setup.channels) +
                             " audio ports");
    }

    ClapModule module;
    ClapHostContext context;
    std::ostream& log;
    RenderSetup setup;
    std::string id;
    std::unique_ptr<ClapInstance> instance;
    ClapInputEvents events;
    const ClapGestureEvents* gestures = nullptr; // while an editor is open
};

} // namespace

std::unique_ptr<HostedPlugin> LoadClapPlugin(const HostOptions& options, const RenderSetup& setup,
                                             std::ostream& log)
{
    return std::make_unique<ClapPlugin>(options, setup, log);
}
