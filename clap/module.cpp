#include "module.h"

#include <cstring>

#include "clap/plugin-features.h"
#include "editorglue/editorfont.h"

namespace {

constexpr const char* kMonoId = "orlund.vx9.tapedelay";
constexpr const char* kStereoId = "orlund.vx9.tapedelay.stereo";
constexpr const char* kMonoFeatures[] = {
    CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_DELAY, CLAP_PLUGIN_FEATURE_MONO, nullptr};
constexpr const char* kStereoFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT,
                                           CLAP_PLUGIN_FEATURE_DELAY, CLAP_PLUGIN_FEATURE_STEREO,
                                           nullptr};

clap_plugin_descriptor_t Descriptor(const char* id, const std::string& name,
                                    const std::string& vendor, const char* const* features)
{
    clap_plugin_descriptor_t descriptor{};
    descriptor.clap_version = CLAP_VERSION;
    descriptor.id = id;
    descriptor.name = name.c_str();
    descriptor.vendor = vendor.c_str();
    descriptor.url = "";
    descriptor.manual_url = "";
    descriptor.support_url = "";
    descriptor.version = TAPEDELAY_VERSION;
    descriptor.description = "A tape echo: a two-second tape loop with glide, wow, flutter, "
                             "saturation and hiss, synced to the session tempo";
    descriptor.features = features;
    return descriptor;
}

} // namespace

ClapModule::ClapModule(const std::string& libraryPath)
    : product(libraryPath),
      parameters(product),
      fontPath(EditorFontBeside(libraryPath)),
      name(product.description.name),
      stereoName(product.description.name + " (Stereo)"),
      vendor(product.description.developer)
{
    descriptors[0] = Descriptor(kMonoId, name, vendor, kMonoFeatures);
    descriptors[1] = Descriptor(kStereoId, stereoName, vendor, kStereoFeatures);
}

std::uint32_t ClapModule::channelsOf(const char* pluginId) const
{
    for (std::uint32_t d = 0; d < descriptors.size(); ++d)
        if (std::strcmp(pluginId, descriptors[d].id) == 0)
            return d + 1;
    return 0;
}
