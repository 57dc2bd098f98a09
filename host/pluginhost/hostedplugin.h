// What a plug-in format gives the render loop: one plug-in, loaded for a
// render of a known rate, channel count and longest block, that reads the
// user's settings, takes its starting values, processes blocks with the
// changes due in them, survives a state round trip into a new instance and
// shows its values; and opens its editor in a host window. The loop owns the input, the output, the
// block sizes and the schedule; the format owns the calls of its plug-in interface.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "gesturelog.h"
#include "hostoptions.h"
#include "hostwindow.h"
#include "runloop.h"

// A parameter's value in the format's own terms (normalised for VST3,
// plain for CLAP).
struct ParameterSetting {
    std::uint32_t id = 0;
    std::int32_t index = 0; // in the plug-in's parameter order
    double value = 0.0;
};

struct ParameterChange {
    std::uint32_t offset = 0; // the sample within the block
    ParameterSetting setting;
};

struct TempoChange {
    std::uint32_t offset = 0; // the sample within the block
    double bpm = 120.0;
};

// One block: the audio, one buffer per channel, and what changes in it,
// each list by offset (equal offsets in the order given).
struct HostBlock {
    std::uint64_t frame = 0; // of the first sample, from the start of the input
    std::uint32_t frames = 0;
    const float* const* inputs = nullptr;
    float* const* outputs = nullptr;
    double tempo = 120.0; // the transport's, at the first sample
    std::span<const ParameterChange> changes;
    std::span<const TempoChange> tempoChanges;
};

struct RenderSetup {
    double rate = 48000.0;
    std::uint32_t channels = 1; // 1 or 2, one port (bus) of that many each way
    std::uint32_t longestBlock = 512;
};

// An open editor of a plug-in, closed when it goes: the plug-in's view
// removed from the window, its timers and watches off the run loop.
class PluginEditor {
public:
    virtual ~PluginEditor() = default;
};

class HostedPlugin {
public:
    virtual ~HostedPlugin() = default;

    // [main] the parameter and value the user named; throws HostInputError
    // quoting setting.given when the parameter is unknown or read-only, or
    // the value neither text the plug-in reads nor a number in its range.
    virtual ParameterSetting resolve(const ParameterText& setting) = 0;
    // [main] the starting values (each parameter once, in the plug-in's
    // order) given as the format gives them, before processing starts.
    virtual void give(std::span<const ParameterSetting> starting) = 0;
    // [main] processing on. Throws HostInputError or PluginFailure when the
    // plug-in refuses.
    virtual void start() = 0;
    // [main] throws PluginFailure when the plug-in fails the block.
    virtual void process(const HostBlock& block) = 0;
    // [main] the state saved, the instance replaced by a new one given that
    // state and started again. Throws PluginFailure.
    virtual void restore() = 0;
    // [main] one line per parameter a host sets, with its value now.
    virtual std::vector<std::string> valueLines() = 0;

    // [main] before start(): the plug-in's editor opened in `window`, its
    // timers and watches on `loop`, each gesture the host receives from it
    // written to `gestures`; what it changes reaches the processing with
    // the first block. Throws PluginFailure when the plug-in has no editor
    // for this platform or refuses to open it.
    virtual std::unique_ptr<PluginEditor> openEditor(HostWindow& window, RunLoop& loop,
                                                     GestureLog& gestures) = 0;
    // [main] while the editor is open: a change the host makes itself (as
    // automation does), told to the plug-in as the format tells it.
    virtual void changeFromHost(const ParameterSetting& setting) = 0;
};

// [main] the plug-in of options.plugin, loaded and created for `setup`;
// what the plug-in logs goes to `log`. Throws HostInputError or
// PluginFailure.
using PluginLoader = std::function<std::unique_ptr<HostedPlugin>(
    const HostOptions& options, const RenderSetup& setup, std::ostream& log)>;
