#include "hosterrors.h"

#include <algorithm>
#include <string_view>

std::string FailureText(const KtResult& failure)
{
    std::string_view text = failure.message;
    // A failure report reads "\n| '<expression>' assertion failed. <message>\n+---...":
    // its first line carries the message.
    text.remove_prefix(std::min(text.find_first_not_of("\n| "), text.size()));
    text = text.substr(0, text.find('\n'));
    if (const std::size_t cut = text.find("assertion failed. "); cut != std::string_view::npos)
        text.remove_prefix(cut + std::string_view("assertion failed. ").size());
    else if (text.starts_with("throw: "))
        text.remove_prefix(std::string_view("throw: ").size());
    // A message without a report carries its location after " @ ".
    text = text.substr(0, text.find(" @ "));
    std::string line(text);
    if (failure.file != nullptr)
        line += " (" + std::string(Kt::ShownPath(failure.file)) + ":" +
                std::to_string(failure.line) + ")";
    return line;
}
