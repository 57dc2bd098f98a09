// A block's host input as the core's events: every point of a parameter's
// queue a change at its sample offset (stepwise), the Tap button's points
// taps, a program change the chosen preset's values as changes in host
// order at its offset (the last one of a block counts), and the
// transport's tempo, when it changed, a tempo at frame 0.
// Values the processor sent out itself come back from the host as its
// echo: the first point after one that equals it is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "host/effect/effect.h"
#include "loadedproduct.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

class EventReader {
public:
    // [set-up] allocates room for capacity events.
    EventReader(const LoadedProduct& product, std::size_t capacity);

    // [audio] no allocation: the block's events. When more points arrive
    // than there is room for, a queue's later points replace its last
    // event, so each queue's final value still lands at its offset.
    std::span<const EffectEvent> read(Steinberg::Vst::IParameterChanges* changes,
                                      const Steinberg::Vst::ProcessContext* context);

    // [audio] The preset the last read applied, if any.
    std::optional<std::size_t> appliedPreset() const { return preset; }

    // [audio] The processor sent this normalised value out for the host
    // parameter at index.
    void expectEcho(std::size_t index, double normalised);
    // [audio] Starting again: no echo is due, and the next tempo is new.
    void reset();

private:
    void readQueue(Steinberg::Vst::IParamValueQueue& queue);
    void add(const EffectEvent& event, std::optional<std::size_t>& queueLast);
    void addPreset(std::size_t index, std::uint32_t frame);

    const LoadedProduct& product;
    std::vector<EffectEvent> events; // room for the points, then for a preset
    std::size_t capacity;            // of the points
    std::size_t used = 0;
    std::vector<std::optional<double>> echoes; // by host index
    std::optional<double> tempo;
    std::optional<std::size_t> preset;
};
