#include "textentry.h"

#include <utility>

void TextEntry::open(std::string initial)
{
    content = std::move(initial);
    fresh = true;
}

void TextEntry::type(std::string_view text)
{
    std::string kept;
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
            kept += c;
    if (kept.empty())
        return;
    if (fresh)
        content.clear();
    fresh = false;
    // Whole characters only: stop before a sequence that would not fit.
    std::size_t end = 0;
    while (end < kept.size()) {
        std::size_t next = end + 1;
        while (next < kept.size() && (static_cast<unsigned char>(kept[next]) & 0xc0) == 0x80)
            ++next;
        if (content.size() + next > kMaxBytes)
            break;
        end = next;
    }
    content.append(kept, 0, end);
}

void TextEntry::backspace()
{
    if (fresh) {
        content.clear();
        fresh = false;
        return;
    }
    while (!content.empty()) {
        const auto last = static_cast<unsigned char>(content.back());
        content.pop_back();
        if ((last & 0xc0) != 0x80)
            break;
    }
}
