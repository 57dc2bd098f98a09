// What the host offers at instantiation, all of it optional: the URI map
// (needed to read the transport and the options), the log, and the longest
// block it will run.
#pragma once

#include <cstdint>
#include <string>

#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/urid/urid.h>

// Runs longer than this are split; without the host's figure the bound that
// covers the common hosts.
inline constexpr std::uint32_t kDefaultMaxBlock = 8192;
inline constexpr std::uint32_t kLargestMaxBlock = 1u << 16;

struct HostFeatures {
    const LV2_URID_Map* map = nullptr;
    const LV2_Log_Log* log = nullptr;
    std::uint32_t maxBlock = kDefaultMaxBlock;

    // Reads the feature list (may be null).
    static HostFeatures Read(const LV2_Feature* const* features);

    // An error through the host's log, or on standard error without one.
    void logError(const std::string& message) const;
};

// Calls found(uri, data) for each feature of a host's list (which may be
// null) that has both.
template <class Found>
void ForEachFeature(const LV2_Feature* const* features, Found found)
{
    for (const LV2_Feature* const* feature = features; feature != nullptr && *feature != nullptr;
         ++feature)
        if ((*feature)->URI != nullptr && (*feature)->data != nullptr)
            found((*feature)->URI, (*feature)->data);
}
