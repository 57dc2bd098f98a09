// SSPrintF: writes a format to a stream, substituting its arguments in order
// for each "@" ("@@" writes one "@"). Each argument is written with the
// stream's own insertion for its type; there are no conversion letters.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>

namespace Kt::detail {

// No arguments left: copy the rest, folding "@@"; a lone "@" lacks an argument.
inline void SSPrintFTail(std::ostream& out, const char* format)
{
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p == '@') {
            if (p[1] != '@')
                throw std::runtime_error(std::string("invalid ssprintf: '") + p +
                                         "' is missing argument(s)");
            ++p;
        }
        out << *p;
    }
}

template <class First, class... Rest>
void SSPrintFTail(std::ostream& out, const char* format, First&& first, Rest&&... rest)
{
    const char* p = format;
    for (;;) {
        if (*p == '\0')
            throw std::logic_error("extra arguments provided to SSPrintF");
        if (*p == '@') {
            if (p[1] == '@') {
                out << '@';
                p += 2;
                continue;
            }
            out << std::forward<First>(first);
            SSPrintFTail(out, p + 1, std::forward<Rest>(rest)...);
            return;
        }
        out << *p++;
    }
}

} // namespace Kt::detail

template <class... Args>
void SSPrintF(std::ostream& out, const char* format, Args&&... args)
{
    Kt::detail::SSPrintFTail(out, format, std::forward<Args>(args)...);
}
