// Parameter values as a user writes and reads them: a number, or for a list
// parameter the text of one of its options.
#pragma once

#include <string>
#include <string_view>

#include "host/runtime/messagevalues.h"
#include "host/runtime/plugindescription.h"
#include "usageerror.h"

// A finite number written in full ("0.25", "-3", "1e-3"); throws UsageError
// naming what with anything else.
double ParseNumber(std::string_view text, const std::string& what);

// The host index of the parameter with the identifier; throws UsageError
// listing the identifiers there are.
std::size_t FindParameter(const PluginDescription& description, std::string_view code);

// The stored value for text: a number within the parameter's range, or for
// a list parameter one of its options' forms (any case; "Qtr" for
// "Quarter,Qtr") or a whole option index. Option texts come first, so "3"
// is Dotted/Triplet's "Triplet,Trp,3". Throws UsageError.
double ParseParameterValue(const ParameterInfo& parameter, std::string_view text);

// A stored value as a user reads it: the option's first form, or the number
// with the parameter's units.
std::string FormatParameterValue(const ParameterInfo& parameter, double value);
