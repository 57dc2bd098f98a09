#include "hostfeatures.h"

#include <cstdio>
#include <cstring>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

namespace {

// The maximum block length among the options, when given as an integer in
// range; the nominal length is no bound, so it is not used.
std::uint32_t readMaxBlock(const LV2_Options_Option* options, const LV2_URID_Map& map)
{
    const LV2_URID maxBlockLength = map.map(map.handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID atomInt = map.map(map.handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* option = options; option->key != 0; ++option) {
        if (option->key != maxBlockLength || option->type != atomInt ||
            option->size != sizeof(std::int32_t) || option->value == nullptr)
            continue;
        std::int32_t frames = 0;
        std::memcpy(&frames, option->value, sizeof frames);
        if (frames >= 1 && static_cast<std::uint32_t>(frames) <= kLargestMaxBlock)
            return static_cast<std::uint32_t>(frames);
    }
    return kDefaultMaxBlock;
}

} // namespace

HostFeatures HostFeatures::Read(const LV2_Feature* const* features)
{
    HostFeatures found;
    const LV2_Options_Option* options = nullptr;
    ForEachFeature(features, [&](const char* uri, void* data) {
        if (std::strcmp(uri, LV2_URID__map) == 0)
            found.map = static_cast<const LV2_URID_Map*>(data);
        else if (std::strcmp(uri, LV2_LOG__log) == 0)
            found.log = static_cast<const LV2_Log_Log*>(data);
        else if (std::strcmp(uri, LV2_OPTIONS__options) == 0)
            options = static_cast<const LV2_Options_Option*>(data);
    });
    if (options != nullptr && found.map != nullptr)
        found.maxBlock = readMaxBlock(options, *found.map);
    return found;
}

void HostFeatures::logError(const std::string& message) const
{
    if (log != nullptr && map != nullptr) {
        const LV2_URID error = map->map(map->handle, LV2_LOG__Error);
        log->printf(log->handle, error, "tapedelay: %s\n", message.c_str());
        return;
    }
    std::fprintf(stderr, "tapedelay: %s\n", message.c_str());
}
