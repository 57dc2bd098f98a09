#include "editorgestures.h"

#include <algorithm>
#include <cmath>

#include "host/effect/adapterparameters.h"

EditorGestures::EditorGestures(const ProductLibrary& product, const ClapParameters& parameters,
                               GestureQueue& queue, const HostServices& services)
    : product(product),
      parameters(parameters),
      queue(queue),
      services(services)
{}

bool EditorGestures::settable(std::size_t index) const
{
    return index < product.description.parameters.size() && !product.shown(index);
}

void EditorGestures::beginGesture(std::size_t index)
{
    if (settable(index) && queue.begin(static_cast<std::uint32_t>(index)))
        services.requestFlush();
}

void EditorGestures::changeValue(std::size_t index, double value)
{
    if (!settable(index) || std::isnan(value))
        return;
    const clap_param_info_t& info = parameters.at(static_cast<std::uint32_t>(index))->info;
    if (queue.change(static_cast<std::uint32_t>(index),
                     std::clamp(value, info.min_value, info.max_value)))
        services.requestFlush();
}

void EditorGestures::endGesture(std::size_t index)
{
    if (settable(index) && queue.end(static_cast<std::uint32_t>(index)))
        services.requestFlush();
}

void EditorGestures::tapButton(bool down)
{
    const auto tap =
        static_cast<std::uint32_t>(parameters.position(*parameters.find(kTapParameter)));
    // A refused begin drops the whole gesture; its end still closes it.
    const bool queued = queue.begin(tap);
    queue.change(tap, down ? 1.0 : 0.0);
    queue.end(tap);
    if (queued)
        services.requestFlush();
}
