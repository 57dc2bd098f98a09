// The host's own failures, apart from bad user input.
#pragma once

#include <stdexcept>
#include <string>

#include "core/ktresult.h"

// The plug-in broke its side of the wrapper contract: a malformed
// description, a coefficient block used outside its declarations, a failed
// set-up.
struct PluginContractError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws PluginContractError when an operation's result is a failure.
inline void RequireSuccess(const KtResult& result, const char* operation)
{
    if (result.code != 0)
        throw PluginContractError(std::string(operation) + " failed: " + result.message);
}
