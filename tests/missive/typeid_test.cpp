// Type code characters and names, and the key registry.
#include <gtest/gtest.h>

#include <string>

#include "missive/source/serialization/keyregistry.h"
#include "missive/source/serialization/kttypeid.h"

namespace {

TEST(KtTypeId, CharactersAndNames)
{
    // The array flag is ignored; unassigned codes have '?' and no name.
    for (const KtTypeId code : {KtType::kStr, KtType::kMissive, KtTypeId{9}}) {
        EXPECT_EQ(charOf(static_cast<KtTypeId>(code | 0x80)), charOf(code));
        EXPECT_STREQ(nameOf(static_cast<KtTypeId>(code | 0x80)), nameOf(code));
    }
    EXPECT_EQ(charOf(9), '?');
    EXPECT_STREQ(nameOf(9), "");
    EXPECT_EQ(charOf(KtType::kUnknown), '?');
    EXPECT_STREQ(nameOf(KtType::kUnknown), "unknown");

    // Pointer forms: the next character, with their own names; unknown stays '?'.
    EXPECT_EQ(charOf(0x40), '1');
    EXPECT_EQ(charOf(0x47), 'v');
    EXPECT_EQ(charOf(0xDF), '?');
    EXPECT_STREQ(nameOf(0x40), "ptr");
    EXPECT_STREQ(nameOf(0x4B), "bol*");
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
