#include "controllergestures.h"

#include <algorithm>
#include <cmath>

#include "classids.h"
#include "controller.h"

ControllerGestures::ControllerGestures(TapeDelayController& controller)
    : controller(controller),
      open(controller.loaded().description.parameters.size(), false)
{}

bool ControllerGestures::settable(std::size_t index) const
{
    return index < open.size() && !controller.loaded().shown(index);
}

void ControllerGestures::beginGesture(std::size_t index)
{
    if (!settable(index) || open[index])
        return;
    open[index] = true;
    controller.beginEdit(controller.loaded().description.parameters[index].identifier);
}

void ControllerGestures::changeValue(std::size_t index, double value)
{
    if (!editing(index) || std::isnan(value))
        return;
    const LoadedProduct& product = controller.loaded();
    const ParameterInfo& parameter = product.description.parameters[index];
    const double normalised = product.scales[index].toNormalised(
        std::clamp(value, parameter.minValue, parameter.maxValue));
    controller.setParamNormalized(parameter.identifier, normalised);
    controller.performEdit(parameter.identifier, normalised);
}

void ControllerGestures::endGesture(std::size_t index)
{
    if (!editing(index))
        return;
    open[index] = false;
    controller.endEdit(controller.loaded().description.parameters[index].identifier);
}

void ControllerGestures::tapButton(bool down)
{
    const double value = down ? 1.0 : 0.0;
    controller.beginEdit(kTapParameter);
    controller.setParamNormalized(kTapParameter, value);
    controller.performEdit(kTapParameter, value);
    controller.endEdit(kTapParameter);
}

void ControllerGestures::endAll()
{
    for (std::size_t i = 0; i < open.size(); ++i)
        endGesture(i);
}
