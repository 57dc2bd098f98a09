// The text a user types into a dial's inline field: it opens with the
// dial's value, which the first key typed replaces; Backspace removes the
// last character (a whole UTF-8 sequence). Never longer than kMaxBytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class TextEntry {
public:
    static constexpr std::size_t kMaxBytes = 32;

    void open(std::string initial);
    // UTF-8 text as the window system delivers it; control characters are
    // dropped.
    void type(std::string_view text);
    void backspace();
    const std::string& text() const { return content; }
    // Whether the text is still the value it opened with.
    bool untouched() const { return fresh; }

private:
    std::string content;
    bool fresh = true;
};
