// What a call is refused with: the message of the Error it throws, or
// "accepted" when it throws none.
#pragma once

#include <string>
#include <utility>

template <class Error, class Action, class... Arguments>
std::string Refusal(Action&& action, Arguments&&... arguments)
{
    try {
        std::forward<Action>(action)(std::forward<Arguments>(arguments)...);
    } catch (const Error& error) {
        return error.what();
    }
    return "accepted";
}
