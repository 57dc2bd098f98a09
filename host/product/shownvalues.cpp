#include "shownvalues.h"

#include <cmath>

#include "parametercodes.h"

std::optional<std::size_t> DelayParameter(const PluginDescription& description,
                                          const std::function<double(std::size_t)>& value)
{
    const std::optional<std::size_t> note = description.find(kNoteValue);
    return note && std::trunc(value(*note)) != 0.0 ? description.find(kShownTempoDelay)
                                                   : description.find(kDelayTime);
}

double ShownDelay(const PluginDescription& description, const PluginInstance& instance)
{
    const std::optional<std::size_t> delay =
        DelayParameter(description, [&](std::size_t index) { return instance.value(index); });
    return delay ? instance.value(*delay) : 0.0;
}
