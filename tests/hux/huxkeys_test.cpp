#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "hux/public/plugin/hux.h"

namespace {

// The vocabulary as the wrapper knows it: name and declared type code.
const std::vector<std::pair<std::string, KtTypeId>> kVocabulary = {
    {"needsMidiBeatClock", 11},
    {"needsSessionTempo", 11},
    {"needsTransportState", 11},
    {"disableHandles", 11},
    {"developer", 15},
    {"developerId", 7},
    {"productId", 7},
    {"aaxUti", 15},
    {"huxId", 27},
    {"huxCollection", 20},
    {"pluginName", 21},
    {"category", 15},
    {"pageTable", 15},
    {"useHostUI", 11},
    {"enableBypass", 11},
    {"enableSidechain", 11},
    {"enableSaveAndRestore", 11},
    {"formatId", 7},
    {"in", 15},
    {"out", 15},
    {"platform", 15},
    {"native", 21},
    {"DSP", 21},
    {"AudioSuite", 21},
    {"formats", 21},
    {"labels", 21},
    {"options", 21},
    {"defaultOption", 15},
    {"minValue", 14},
    {"maxValue", 14},
    {"defaultValue", 14},
    {"steps", 7},
    {"units", 15},
    {"displayPrecision", 7},
    {"automate", 11},
    {"impliedNegative", 11},
    {"filterOnSave", 11},
    {"useMetricPrefixes", 11},
    {"type", 12},
    {"meterType", 12},
    {"label", 15},
};

TEST(HuxKeys, RegisteredOnceEachWithTheirCodesAtStartUp)
{
    ASSERT_EQ(kVocabulary.size(), 41u);
    const KeyRegistry& registry = keyRegistry();
    for (const auto& [name, code] : kVocabulary) {
        const auto found = registry.find(name);
        ASSERT_NE(found, registry.end()) << name;
        EXPECT_EQ(found->second.typeId, code) << name;
        EXPECT_EQ(found->second.number, 0u) << name;
    }
    // Nothing else is registered, and a name is a key of the map: once each.
    EXPECT_EQ(registry.size(), kVocabulary.size());
}

TEST(HuxKeys, ConstructedKeysWorkAsWriterKeys)
{
    // Built at start-up, before any test runs: the name is in place.
    Missive message;
    message.put(HuxKeys::kHuxId, KtUuid{});
    const MissiveCursor id = message.find("huxId");
    ASSERT_TRUE(id.found());
    EXPECT_EQ(id.valueType, KtType::kUuid);
}

TEST(HuxKeys, FourCharacterCodes)
{
    static_assert(HuxFourCC("bypa") == 0x62797061u);
    static_assert(HuxFourCC(".bpm") == 0x2E62706Du);
    EXPECT_EQ(HuxFourCC("tlok") >> 24, static_cast<std::uint32_t>('t'));
}

} // namespace
