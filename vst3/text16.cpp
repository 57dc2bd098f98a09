#include "text16.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point at text[at], moving at past it.
char32_t decodeUtf8(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (more < 0 || lead > 0xF4 || at + more > text.size())
        return kReplacement;
    char32_t code = lead & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        const auto next = static_cast<unsigned char>(text[at]);
        if ((next & 0xC0) != 0x80)
            return kReplacement;
        code = code << 6 | (next & 0x3F);
        ++at;
    }
    const bool overlong =
        (more == 1 && code < 0x80) || (more == 2 && code < 0x800) || (more == 3 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
        return kReplacement;
    return code;
}

void appendUtf8(std::string& to, char32_t code)
{
    if (code < 0x80) {
        to += static_cast<char>(code);
    } else if (code < 0x800) {
        to += static_cast<char>(0xC0 | code >> 6);
        to += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        to += static_cast<char>(0xE0 | code >> 12);
        to += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        to += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        to += static_cast<char>(0xF0 | code >> 18);
        to += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        to += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        to += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

void CopyText(std::string_view text, Steinberg::Vst::TChar* to, std::size_t capacity)
{
    if (capacity == 0)
        return;
    std::size_t written = 0;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t code = decodeUtf8(text, at);
        const std::size_t units = code >= 0x10000 ? 2 : 1;
        if (written + units >= capacity)
            break;
        if (units == 2) {
            to[written++] = static_cast<Steinberg::Vst::TChar>(0xD800 + ((code - 0x10000) >> 10));
            to[written++] = static_cast<Steinberg::Vst::TChar>(0xDC00 + (code & 0x3FF));
        } else {
            to[written++] = static_cast<Steinberg::Vst::TChar>(code);
        }
    }
    to[written] = 0;
}

std::string Utf8Text(const Steinberg::Vst::TChar* text)
{
    std::string utf8;
    for (std::size_t i = 0; text != nullptr && text[i] != 0; ++i) {
        const char32_t unit = static_cast<char16_t>(text[i]);
        if (unit >= 0xD800 && unit < 0xDC00) {
            const char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(utf8, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
            appendUtf8(utf8, kReplacement);
        } else if (unit >= 0xDC00 && unit < 0xE000) {
            appendUtf8(utf8, kReplacement);
        } else {
            appendUtf8(utf8, unit);
        }
    }
    return utf8;
}
