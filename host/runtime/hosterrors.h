// The host's own failures, apart from bad user input.
#pragma once

#include <stdexcept>
#include <string>

#include "core/ktresult.h"

// The plug-in failed or broke its side of the wrapper contract: a failure
// record or a raised exception from one of its operations, a malformed
// description, a coefficient block used outside its declarations.
struct PluginContractError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A failure record in one line: the plug-in's message (the first line of its
// failure report) and, when the record has one, its location.
std::string FailureText(const KtResult& failure);

// Throws PluginContractError when an operation's result is a failure.
inline void RequireSuccess(const KtResult& result, const char* operation)
{
    if (result.code != 0)
        throw PluginContractError(std::string(operation) + " failed: " + FailureText(result));
}

// Runs one of the plug-in's operations. A failure record, or a KtException the
// operation lets pass, becomes a PluginContractError that keeps the plug-in's
// own message and location.
template <class Operation>
void RunPluginOperation(const char* operation, Operation call)
{
    try {
        RequireSuccess(call(), operation);
    } catch (const KtException& failure) {
        throw PluginContractError(std::string(operation) + " failed: " + FailureText(failure));
    }
}
