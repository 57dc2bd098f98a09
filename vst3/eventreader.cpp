#include "eventreader.h"

#include <algorithm>

#include "classids.h"
#include "parameterscale.h"

using namespace Steinberg;

namespace {

std::uint32_t frameOf(int32 offset)
{
    return static_cast<std::uint32_t>(std::max<int32>(offset, 0));
}

// Point p of queue, its value within 0 to 1; false for none or NaN.
bool ReadPoint(Vst::IParamValueQueue& queue, int32 p, int32& offset, Vst::ParamValue& value)
{
    if (queue.getPoint(p, offset, value) != kResultOk)
        return false;
    const std::optional<double> normalised = HostNormalised(value);
    value = normalised.value_or(0.0);
    return normalised.has_value();
}

} // namespace

EventReader::EventReader(const LoadedProduct& product, std::size_t capacity)
    : product(product),
      capacity(capacity),
      echoes(product.description.parameters.size())
{
    std::size_t largestPreset = 0;
    for (const PresetChanges& entry : product.presets)
        largestPreset = std::max(largestPreset, entry.changes.size());
    events.resize(capacity + largestPreset);
}

std::span<const EffectEvent> EventReader::read(Vst::IParameterChanges* changes,
                                               const Vst::ProcessContext* context)
{
    used = 0;
    preset.reset();
    std::optional<std::uint32_t> presetFrame;
    if (context != nullptr && (context->state & Vst::ProcessContext::kTempoValid) != 0 &&
        tempo != context->tempo) {
        tempo = context->tempo;
        std::optional<std::size_t> none;
        add({0, EffectEvent::Kind::tempo, 0, context->tempo}, none);
    }
    const int32 queues = changes != nullptr ? changes->getParameterCount() : 0;
    for (int32 q = 0; q < queues; ++q) {
        Vst::IParamValueQueue* queue = changes->getParameterData(q);
        if (queue == nullptr || queue->getPointCount() <= 0)
            continue;
        if (queue->getParameterId() == kProgramParameter && !product.presets.empty()) {
            int32 offset = 0;
            Vst::ParamValue value = 0.0;
            if (ReadPoint(*queue, queue->getPointCount() - 1, offset, value)) {
                preset = product.presetIndex(value);
                presetFrame = frameOf(offset);
            }
        } else {
            readQueue(*queue);
        }
    }
    if (preset)
        addPreset(*preset, *presetFrame);
    return {events.data(), used};
}

void EventReader::readQueue(Vst::IParamValueQueue& queue)
{
    const Vst::ParamID id = queue.getParameterId();
    const bool tap = id == kTapParameter;
    const std::size_t index = product.indexOf(id);
    if (!tap && index >= product.scales.size())
        return;
    std::optional<std::size_t> queueLast;
    for (int32 p = 0; p < queue.getPointCount(); ++p) {
        int32 offset = 0;
        Vst::ParamValue value = 0.0;
        if (!ReadPoint(queue, p, offset, value))
            continue;
        if (tap) {
            add({frameOf(offset), EffectEvent::Kind::tap, 0, value}, queueLast);
            continue;
        }
        if (p == 0 && echoes[index]) {
            const bool echo = *echoes[index] == value;
            echoes[index].reset();
            if (echo)
                continue;
        }
        add({frameOf(offset), EffectEvent::Kind::change, static_cast<std::uint32_t>(index),
             product.scales[index].toPlain(value)},
            queueLast);
    }
}

void EventReader::add(const EffectEvent& event, std::optional<std::size_t>& queueLast)
{
    if (used < capacity)
        events[queueLast.emplace(used++)] = event;
    else if (queueLast)
        events[*queueLast] = event;
}

void EventReader::addPreset(std::size_t index, std::uint32_t frame)
{
    for (const auto& [parameter, value] : product.presets[index].changes)
        events[used++] = {frame, EffectEvent::Kind::change, parameter, value};
}

void EventReader::expectEcho(std::size_t index, double normalised)
{
    if (index < echoes.size())
        echoes[index] = normalised;
}

void EventReader::reset()
{
    std::fill(echoes.begin(), echoes.end(), std::nullopt);
    tempo.reset();
}
