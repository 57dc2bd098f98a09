#include "parameterservice.h"

#include <cmath>

void HostParameter::setValue(double value)
{
    service.pluginSet(*this, value);
}

void HostParameter::store(double value)
{
    // The same value stored again (the session tempo before every block)
    // changes nothing; a NaN always counts as a change.
    if (!(stored == value))
        ++service.stores;
    stored = value;
}

ParameterService::ParameterService(const std::vector<ParameterInfo>& parameters) : infos(parameters)
{
    objects.reserve(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i)
        objects.push_back(std::make_unique<HostParameter>(*this, static_cast<std::uint32_t>(i),
                                                          parameters[i].defaultValue));
}

HuxParameter* ParameterService::lookup(std::uint32_t identifier, const void*)
{
    for (std::size_t i = 0; i < infos.size(); ++i)
        if (infos[i].identifier == identifier)
            return objects[i].get();
    return nullptr;
}

void ParameterService::change(std::size_t index, double value)
{
    HostParameter& parameter = *objects.at(index);
    parameter.store(value);
    plugin->parameterChanged(parameter, true);
}

void ParameterService::storeAndReportChanges(std::span<const double> values)
{
    for (std::size_t i = 0; i < values.size() && i < objects.size(); ++i) {
        const double previous = objects[i]->value();
        objects[i]->store(values[i]);
        if (!(previous == values[i] || (std::isnan(previous) && std::isnan(values[i]))))
            plugin->parameterChanged(*objects[i], true);
    }
}

void ParameterService::reportAll()
{
    for (const std::unique_ptr<HostParameter>& object : objects)
        plugin->parameterChanged(*object, true);
}

void ParameterService::dispatch()
{
    struct WalkScope {
        bool& walking;
        ~WalkScope() { walking = false; }
    } scope{walking};
    walking = true;
    for (int walk = 0; walk < kMaxWalks; ++walk) {
        reportedDuringWalk = false;
        plugin->dispatchParameterChanges();
        // A walk handles what is reported ahead of its position; anything
        // else is still pending. A walk over nothing pending does nothing.
        if (!reportedDuringWalk)
            break;
    }
}

void ParameterService::pluginSet(HostParameter& parameter, double value)
{
    if (!discarding)
        setAndHandle(parameter, value);
}

void ParameterService::setAndHandle(HostParameter& parameter, double value)
{
    const double previous = parameter.value();
    const bool unchanged = previous == value || (std::isnan(previous) && std::isnan(value));
    parameter.store(value);
    if (unchanged)
        return;
    plugin->parameterChanged(parameter, true);
    if (walking)
        reportedDuringWalk = true;
    else
        dispatch();
}
