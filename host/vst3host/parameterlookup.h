// Names and values as a user types them, read by the plug-in's controller:
// a parameter by its four-character ID ("fbak") or its title ("Feedback",
// in any case), a value as the controller's text ("Dark", "0.3 s") or a
// plain number in the parameter's range.
#pragma once

#include <pluginterfaces/vst/ivsteditcontroller.h>

#include <string>

#include "host/pluginhost/hostedplugin.h"

// [main] the parameter and its normalised value; throws HostInputError
// quoting setting.given when the parameter is unknown or read-only, or the
// value neither text the controller reads nor a number in its range.
ParameterSetting ResolveSetting(Steinberg::Vst::IEditController& controller,
                                const ParameterText& setting);

// [main] "fbak Feedback = 7.0 (0.75)": the parameter's ID, title, value as
// the controller shows it, and normalised value; empty for a parameter the
// host cannot set (read-only: meters, values the plug-in shows).
std::string ParameterValueLine(Steinberg::Vst::IEditController& controller, Steinberg::int32 index);
