#include "controlscale.h"

#include <optional>

#include "parametercodes.h"

std::string ShownUnits(const PluginDescription& description, const ParameterInfo& parameter)
{
    if (!parameter.units.empty())
        return parameter.units;
    const char* shown = parameter.code == kShownSessionTempo ? kTempo
                        : parameter.code == kShownTempoDelay ? kDelayTime
                                                             : nullptr;
    if (shown == nullptr)
        return {};
    const std::optional<std::size_t> index = description.find(shown);
    return index ? description.parameters[*index].units : std::string();
}

bool LogarithmicScale(const ParameterInfo& parameter)
{
    return parameter.code == kDelayTime && parameter.minValue > 0.0;
}
