// The description key vocabulary shared with the wrapper.
//
// Each key carries its name and its declared value type. Every source file
// that includes this header registers the whole vocabulary in the key
// registry during static initialisation (repeats store the same record).
#pragma once

#include <cstdint>

#include "missive/source/serialization/keyregistry.h"
#include "missive/source/serialization/kttypeid.h"
#include "missive/source/serialization/missive.h"

// The enumerations written under "type" and "meterType". Only the values this
// system writes are named; their type names travel empty.
namespace c_hux {
enum class parameterType : std::int32_t { continuous = 1, list = 5 };
enum class meterType : std::int32_t { input = 0, output = 1 };
} // namespace c_hux

struct HuxKey : MissiveKey {
    KtTypeId typeId;
};

// A key built at start-up: its constructor stores the name and registers it.
struct HuxRegisteredKey : HuxKey {
    HuxRegisteredKey(const char* keyName, KtTypeId keyType) : HuxKey{{keyName}, keyType}
    {
        registerKey(keyName, keyType);
    }
};

namespace HuxKeys {
inline constexpr HuxKey kNeedsMidiBeatClock{{"needsMidiBeatClock"}, KtType::kBool};
inline constexpr HuxKey kNeedsSessionTempo{{"needsSessionTempo"}, KtType::kBool};
inline constexpr HuxKey kNeedsTransportState{{"needsTransportState"}, KtType::kBool};
inline constexpr HuxKey kDisableHandles{{"disableHandles"}, KtType::kBool};
inline constexpr HuxKey kDeveloper{{"developer"}, KtType::kStr};
inline constexpr HuxKey kDeveloperId{{"developerId"}, KtType::kU32};
inline constexpr HuxKey kProductId{{"productId"}, KtType::kU32};
inline constexpr HuxKey kAaxUti{{"aaxUti"}, KtType::kStr};
inline const HuxRegisteredKey kHuxId{"huxId", KtType::kUuid};
inline const HuxRegisteredKey kHuxCollection{"huxCollection", KtType::kMissive};
inline constexpr HuxKey kPluginName{{"pluginName"}, KtType::kPod};
inline constexpr HuxKey kCategory{{"category"}, KtType::kStr};
inline constexpr HuxKey kPageTable{{"pageTable"}, KtType::kStr};
inline constexpr HuxKey kUseHostUI{{"useHostUI"}, KtType::kBool};
inline constexpr HuxKey kEnableBypass{{"enableBypass"}, KtType::kBool};
inline constexpr HuxKey kEnableSidechain{{"enableSidechain"}, KtType::kBool};
inline constexpr HuxKey kEnableSaveAndRestore{{"enableSaveAndRestore"}, KtType::kBool};
inline constexpr HuxKey kFormatId{{"formatId"}, KtType::kU32};
inline constexpr HuxKey kIn{{"in"}, KtType::kStr};
inline constexpr HuxKey kOut{{"out"}, KtType::kStr};
inline constexpr HuxKey kPlatform{{"platform"}, KtType::kStr};
inline constexpr HuxKey kNative{{"native"}, KtType::kPod};
inline constexpr HuxKey kDSP{{"DSP"}, KtType::kPod};
inline constexpr HuxKey kAudioSuite{{"AudioSuite"}, KtType::kPod};
inline constexpr HuxKey kFormats{{"formats"}, KtType::kPod};
inline constexpr HuxKey kLabels{{"labels"}, KtType::kPod};
inline constexpr HuxKey kOptions{{"options"}, KtType::kPod};
inline constexpr HuxKey kDefaultOption{{"defaultOption"}, KtType::kStr};
inline constexpr HuxKey kMinValue{{"minValue"}, KtType::kF64};
inline constexpr HuxKey kMaxValue{{"maxValue"}, KtType::kF64};
inline constexpr HuxKey kDefaultValue{{"defaultValue"}, KtType::kF64};
inline constexpr HuxKey kSteps{{"steps"}, KtType::kU32};
inline constexpr HuxKey kUnits{{"units"}, KtType::kStr};
inline constexpr HuxKey kDisplayPrecision{{"displayPrecision"}, KtType::kU32};
inline constexpr HuxKey kAutomate{{"automate"}, KtType::kBool};
inline constexpr HuxKey kImpliedNegative{{"impliedNegative"}, KtType::kBool};
inline constexpr HuxKey kFilterOnSave{{"filterOnSave"}, KtType::kBool};
inline constexpr HuxKey kUseMetricPrefixes{{"useMetricPrefixes"}, KtType::kBool};
inline const HuxRegisteredKey kType{"type", KtType::kEnum};
inline const HuxRegisteredKey kMeterType{"meterType", KtType::kEnum};
inline constexpr HuxKey kLabel{{"label"}, KtType::kStr};

// Message-level keys that are not part of the registered vocabulary.
inline constexpr MissiveKey kParameters{"parameters"};
inline constexpr MissiveKey kMeters{"meters"};
} // namespace HuxKeys

// Registers the vocabulary in declaration order. The four constructed keys
// register themselves as well; the second registration stores the same record.
inline bool HuxRegisterKeys()
{
    using namespace HuxKeys;
    // clang-format off
    const HuxKey* const vocabulary[] = {
        &kNeedsMidiBeatClock, &kNeedsSessionTempo, &kNeedsTransportState, &kDisableHandles,
        &kDeveloper, &kDeveloperId, &kProductId, &kAaxUti, &kHuxId, &kHuxCollection,
        &kPluginName, &kCategory, &kPageTable, &kUseHostUI, &kEnableBypass, &kEnableSidechain,
        &kEnableSaveAndRestore, &kFormatId, &kIn, &kOut, &kPlatform, &kNative, &kDSP,
        &kAudioSuite, &kFormats, &kLabels, &kOptions, &kDefaultOption, &kMinValue, &kMaxValue,
        &kDefaultValue, &kSteps, &kUnits, &kDisplayPrecision, &kAutomate, &kImpliedNegative,
        &kFilterOnSave, &kUseMetricPrefixes, &kType, &kMeterType, &kLabel};
    // clang-format on
    for (const HuxKey* key : vocabulary)
        registerKey(key->name, key->typeId);
    return true;
}

namespace {
[[maybe_unused]] const bool kHuxKeysRegistered = HuxRegisterKeys();
}
