// The core driven in runs of given lengths with events at absolute frames,
// and the reference: one PluginInstance driven as the command drives it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "host/effect/effect.h"
#include "host/product/tempo.h"

inline constexpr double kRate = 48000.0;

// An event at a frame of the whole signal. A tap's value is the Tap
// control's for the core and the tapped tempo for the reference.
struct TimedEvent {
    std::uint64_t frame = 0;
    EffectEvent::Kind kind = EffectEvent::Kind::change;
    std::uint32_t index = 0;
    double value = 0.0;
};

// Clicks over a quiet tone, shifted by phase.
inline std::vector<float> Clicks(std::size_t frames, float phase = 0.0f)
{
    std::vector<float> audio(frames);
    for (std::size_t i = 0; i < frames; ++i)
        audio[i] = (i % 9000 == 100 ? 0.8f : 0.0f) +
                   0.05f * std::sin(0.01f * static_cast<float>(i) + phase);
    return audio;
}

// Runs every channel of in through the effect in runs of the lengths given,
// cycling; each run gets the events due in it, kinds in reverse order, so
// the core must sort them itself.
inline std::vector<std::vector<float>> RunEffect(Effect& effect,
                                                 const std::vector<std::vector<float>>& in,
                                                 const std::vector<TimedEvent>& events,
                                                 const std::vector<std::uint32_t>& lengths)
{
    std::vector<std::vector<float>> out(in.size(), std::vector<float>(in.front().size()));
    const std::size_t total = in.front().size();
    std::vector<EffectEvent> due;
    for (std::size_t at = 0, k = 0; at < total; ++k) {
        const auto n = static_cast<std::uint32_t>(
            std::min<std::size_t>(lengths[k % lengths.size()], total - at));
        due.clear();
        for (const EffectEvent::Kind kind :
             {EffectEvent::Kind::tempo, EffectEvent::Kind::tap, EffectEvent::Kind::change})
            for (const TimedEvent& event : events)
                if (event.kind == kind && event.frame >= at && event.frame < at + n)
                    due.push_back({static_cast<std::uint32_t>(event.frame - at), event.kind,
                                   event.index, event.value});
        std::vector<const float*> inputs;
        std::vector<float*> outputs;
        for (std::size_t c = 0; c < in.size(); ++c) {
            inputs.push_back(in[c].data() + at);
            outputs.push_back(out[c].data() + at);
        }
        effect.run(inputs, outputs, n, due);
        at += n;
    }
    return out;
}

inline std::vector<float> RunMono(Effect& effect, const std::vector<float>& in,
                                  const std::vector<TimedEvent>& events,
                                  const std::vector<std::uint32_t>& lengths)
{
    return RunEffect(effect, {in}, events, lengths).front();
}

// Runs silence with these events in runs of `run` frames.
inline void RunSilence(Effect& effect, std::size_t frames,
                       const std::vector<TimedEvent>& events = {}, std::uint32_t run = 4800)
{
    RunMono(effect, std::vector<float>(frames, 0.0f), events, {run});
}

// The reference: starting values and session tempo at start(), then blocks
// of at most 512 frames, ending where an event is due; at each frame its
// changes, then taps, then session tempos.
inline std::vector<float> Reference(PluginLibrary& library,
                                    const std::vector<StartingValue>& values,
                                    const std::vector<float>& in,
                                    const std::vector<TimedEvent>& events = {},
                                    double sessionTempo = kDefaultSessionTempo)
{
    constexpr std::uint32_t kBlock = 512;
    PluginInstance instance(library, {kRate, kBlock, sessionTempo});
    instance.start(values);
    std::vector<float> out(in.size());
    for (std::uint64_t at = 0; at < in.size();) {
        std::uint64_t end = std::min<std::uint64_t>(at + kBlock, in.size());
        for (const EffectEvent::Kind kind :
             {EffectEvent::Kind::change, EffectEvent::Kind::tap, EffectEvent::Kind::tempo})
            for (const TimedEvent& event : events) {
                if (event.frame > at)
                    end = std::min(end, event.frame);
                if (event.frame != at || event.kind != kind)
                    continue;
                if (kind == EffectEvent::Kind::change)
                    instance.change(event.index, event.value);
                else if (kind == EffectEvent::Kind::tap)
                    TapTempo(instance, event.value);
                else
                    instance.setSessionTempo(event.value);
            }
        instance.process(in.data() + at, out.data() + at, static_cast<std::uint32_t>(end - at));
        at = end;
    }
    return out;
}
