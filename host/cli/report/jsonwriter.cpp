#include "jsonwriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// text as a JSON string literal, quotes included.
std::string quoted(std::string_view text)
{
    std::string literal = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': literal += "\\\""; break;
        case '\\': literal += "\\\\"; break;
        case '\n': literal += "\\n"; break;
        case '\r': literal += "\\r"; break;
        case '\t': literal += "\\t"; break;
        case '\b': literal += "\\b"; break;
        case '\f': literal += "\\f"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                literal += escape;
            } else {
                // Other bytes pass as they are: the texts are UTF-8.
                literal += c;
            }
        }
    }
    return literal + "\"";
}

} // namespace

void JsonWriter::newline()
{
    out += '\n';
    out.append(empty.size() * 2, ' ');
}

void JsonWriter::beforeValue()
{
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (!empty.empty()) {
        if (!empty.back())
            out += ',';
        empty.back() = false;
        newline();
    }
}

JsonWriter& JsonWriter::open(char bracket)
{
    beforeValue();
    out += bracket;
    empty.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::close(char bracket)
{
    const bool wasEmpty = empty.back();
    empty.pop_back();
    if (!wasEmpty)
        newline();
    out += bracket;
    if (empty.empty())
        out += '\n';
    return *this;
}

JsonWriter& JsonWriter::beginObject()
{
    return open('{');
}

JsonWriter& JsonWriter::endObject()
{
    return close('}');
}

JsonWriter& JsonWriter::beginArray()
{
    return open('[');
}

JsonWriter& JsonWriter::endArray()
{
    return close(']');
}

JsonWriter& JsonWriter::key(std::string_view name)
{
    beforeValue();
    out += quoted(name) + ": ";
    afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text)
{
    beforeValue();
    out += quoted(text);
    return *this;
}

JsonWriter& JsonWriter::value(double number)
{
    if (!std::isfinite(number))
        return null();
    beforeValue();
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, number).ptr);
    return *this;
}

JsonWriter& JsonWriter::value(std::uint64_t number)
{
    beforeValue();
    out += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag)
{
    beforeValue();
    out += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null()
{
    beforeValue();
    out += "null";
    return *this;
}
