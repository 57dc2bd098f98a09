// The inline field's text.
#include <gtest/gtest.h>

#include "editor/textentry.h"

namespace {

TEST(TextEntry, TheFirstKeyReplacesTheValueAndBackspaceTakesWholeCharacters)
{
    TextEntry entry;
    entry.open("500 ms");
    EXPECT_TRUE(entry.untouched());
    entry.type("3");
    entry.type("00\r\x1b\x7f"); // control characters are dropped
    EXPECT_EQ(entry.text(), "300");
    EXPECT_FALSE(entry.untouched());
    entry.type("\xc2\xb5s"); // "µs": two bytes and one
    entry.backspace();
    entry.backspace();
    EXPECT_EQ(entry.text(), "300");

    entry.open("5.0");
    entry.backspace(); // clears the value it opened with
    EXPECT_EQ(entry.text(), "");
    entry.backspace();
    EXPECT_EQ(entry.text(), "");
}

TEST(TextEntry, ItNeverGrowsPastItsLimitNorSplitsACharacter)
{
    TextEntry entry;
    entry.open("");
    for (int i = 0; i < 40; ++i)
        entry.type("9");
    EXPECT_EQ(entry.text().size(), TextEntry::kMaxBytes);

    entry.open("");
    entry.type(std::string(TextEntry::kMaxBytes - 1, '1'));
    entry.type("\xc2\xb5"); // would need one byte more than is left
    EXPECT_EQ(entry.text(), std::string(TextEntry::kMaxBytes - 1, '1'));
}

} // namespace
