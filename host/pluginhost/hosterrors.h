// A test host's failures, each with a one-line what() for the user.
#pragma once

#include <stdexcept>

// A bad option, value, file or plug-in file: the user's to fix (exit
// status 2).
struct HostInputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The plug-in refused or failed a call a host relies on (exit status 1).
struct PluginFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
