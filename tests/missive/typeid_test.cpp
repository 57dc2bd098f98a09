// Type code characters and names, and the key registry.
#include <gtest/gtest.h>

#include <string>

#include "missive/source/serialization/keyregistry.h"
#include "missive/source/serialization/kttypeid.h"

namespace {

TEST(KtTypeId, CharactersAndNames)
{
    // Character of each base code 0..31; '?' where none is assigned.
    const std::string chars = "0CkiI8KuU??befFs???BMSoOn?hxmad?";
    const char* const names[32] = {"void", "i8", "i16", "i32",  "i64",  "u8",  "u16", "u32",
                                   "u64",  "",   "",    "bool", "enum", "f32", "f64", "str",
                                   "",     "",   "",    "bin",  "msv",  "pod", "obj", "vob",
                                   "sig",  "",   "#64", "uuid", "fun",  "any", "def", "unknown"};
    for (unsigned code = 0; code < 32; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(charOf(static_cast<KtTypeId>(code)), chars[code]);
        EXPECT_EQ(charOf(static_cast<KtTypeId>(code | 0x80)), chars[code]); // array flag ignored
        EXPECT_STREQ(nameOf(static_cast<KtTypeId>(code)), names[code]);
    }

    // Pointer forms: the next character, with their own names; unknown stays '?'.
    EXPECT_EQ(charOf(0x40), '1');
    EXPECT_EQ(charOf(0x47), 'v');
    EXPECT_EQ(charOf(0xDF), '?');
    EXPECT_STREQ(nameOf(0x40), "ptr");
    EXPECT_STREQ(nameOf(0x4B), "bol*");
    EXPECT_STREQ(nameOf(0x4F), "str*");
    EXPECT_STREQ(nameOf(0x57), "vob*");
    EXPECT_STREQ(longNameOf(11), "bool ");
    EXPECT_STREQ(longNameOf(0x4F), "cstr_t");
}

TEST(KeyRegistry, LastRegistrationWins)
{
    registerKey("minValue", 14);
    registerKey("minValue", 7);
    const auto entry = keyRegistry().find("minValue");
    ASSERT_NE(entry, keyRegistry().end());
    EXPECT_EQ(entry->second.typeId, 7);
    EXPECT_EQ(entry->second.number, 0u);
    EXPECT_EQ(keyName(5), "<unregistered>");
    EXPECT_NE(keyName(0), "<unregistered>"); // every registration has number 0
}

} // namespace
