// Parameters found by the name a user gives: the identifier, any of the
// plug-in's labels for it, or a host's alias.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "host/runtime/plugindescription.h"
#include "parameterwords.h"

struct NamedParameter {
    std::size_t index = 0; // host index
    bool inverted = false; // named by an inverted alias

    bool operator==(const NamedParameter&) const = default;
};

// The parameter a name means. An exact identifier always wins (".bpm",
// "sBPM"); otherwise identifiers, labels and aliases are compared in any
// case ("Feedback", "delay time", "bpm"), and a name that fits two
// parameters is refused. Throws ParameterValueError for a name that fits
// none (listing the parameters a user may set) or more than one.
NamedParameter FindNamedParameter(const PluginDescription& description, std::string_view name,
                                  const std::vector<ParameterAlias>& aliases);
