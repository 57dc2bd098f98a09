// The command's own error: something the user gave that cannot be used (an
// option, a parameter, a value). The command reports it in one line and
// exits with status 2.
#pragma once

#include <stdexcept>

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
