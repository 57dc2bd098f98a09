// The description key vocabulary as registered at start-up. That the product
// writes each registered key with its declared type is checked with the
// product's descriptions (tests/tapedelay).
#include <gtest/gtest.h>

#include "hux/public/plugin/hux.h"

namespace {

// Four-character codes: the first character in the most significant byte.
static_assert(HuxFourCC("bypa") == 0x62797061u);
static_assert(HuxFourCC(".bpm") == 0x2E62706Du);

TEST(HuxKeys, VocabularyRegisteredOnceEachAtStartUp)
{
    // Three sources include the framework header; repeats leave one record a name.
    EXPECT_EQ(keyRegistry().size(), 41u);
    for (const auto& [name, record] : keyRegistry())
        EXPECT_EQ(record.number, 0u) << name;

    // The keys built by constructors are in place before any test runs.
    const HuxKey* const constructed[] = {&HuxKeys::kHuxId, &HuxKeys::kHuxCollection,
                                         &HuxKeys::kType, &HuxKeys::kMeterType};
    for (const HuxKey* key : constructed) {
        ASSERT_NE(key->name, nullptr);
        const auto found = keyRegistry().find(key->name);
        ASSERT_NE(found, keyRegistry().end()) << key->name;
        EXPECT_EQ(found->second.typeId, key->typeId) << key->name;
    }
}

} // namespace
