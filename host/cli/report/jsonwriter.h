// A small JSON writer for what the command tells scripts: objects, arrays,
// strings escaped as JSON requires, numbers that read back exactly, laid
// out two spaces an indent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    // Containers; in an object, name each member with key() first.
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);

    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    // The shortest form that reads back to the same double; null for NaN
    // and infinities, which JSON lacks.
    JsonWriter& value(double number);
    JsonWriter& value(std::uint64_t number);
    JsonWriter& value(bool flag);
    JsonWriter& null();

    // The text so far, ending in a newline once the outermost container is
    // closed.
    const std::string& text() const { return out; }

private:
    void beforeValue();
    void newline();
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);

    std::string out;
    std::vector<bool> empty; // per open container: nothing in it yet
    bool afterKey = false;
};
