// Parameter values as a user writes and reads them: a number, or for a list
// parameter the text of one of its options. Everything that turns a value
// text into a stored value and back lives here, so "--set nval=8th" reaches
// the plug-in's description and returns as "nval=8th" through these
// functions alone.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/runtime/plugindescription.h"
#include "messagevalues.h"
#include "parameterwords.h"

// A value text that cannot be read, or that its parameter cannot take; the
// message names what and why in one line.
struct ParameterValueError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Letters compared without their case, as option forms and preset names are.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// A finite number written in full ("0.25", "-3", "1e-3"); throws
// ParameterValueError naming what with anything else.
double ParseNumber(std::string_view text, const std::string& what);

// An option's forms: "Dotted,Dot,." gives "Dotted", "Dot" and ".".
std::vector<std::string_view> OptionForms(std::string_view option);

// Whether a list parameter is an off/on switch.
bool IsToggle(const ParameterInfo& parameter);

// The stored value for text: a number within the parameter's range (with
// its own unit after it, or s or ms for one in seconds: "300ms"), or for a
// list parameter one of its options' forms (any case; "Qtr" for
// "Quarter,Qtr"), one of the words given for them, or a whole option index.
// Option texts come first, so "3" is Dotted/Triplet's "Triplet,Trp,3". An
// off/on list and the host's bypass also take on, yes, true, off, no and
// false. Throws ParameterValueError.
double ParseParameterValue(const ParameterInfo& parameter, std::string_view text,
                           const std::vector<OptionWord>& words = {});

// "NAME=VALUE" for a parameter a user may set, as (host index, stored
// value); NAME as FindNamedParameter reads it with the aliases given, and a
// value given through an inverted alias counts down from the top of the
// range ("enabled=off" is "bypa=1"). Throws ParameterValueError for text
// without "=", a name that is no parameter or more than one, a value the
// plug-in writes for display, or a value the parameter cannot take.
std::pair<std::size_t, double> ParseParameterAssignment(const PluginDescription& description,
                                                        std::string_view text,
                                                        const ParameterWords& words = {});

// A stored value as ParseParameterValue reads it back: the option's first
// form, or the number.
std::string ParameterValueText(const ParameterInfo& parameter, double value);

// "ID=VALUE" as ParseParameterAssignment reads it back: "nval=8th".
std::string ParameterAssignmentText(const ParameterInfo& parameter, double value);

// A stored value as a user reads it: the option's first form, or the number
// with the parameter's units.
std::string FormatParameterValue(const ParameterInfo& parameter, double value);
