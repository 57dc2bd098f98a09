// The bundle's shared object: the LV2 entry points, each handing over to an
// Lv2Instance. The plug-in library is loaded from the bundle's own folder.
#include <exception>
#include <new>
#include <string>

#include <lv2/core/lv2.h>

#include "host/product/rates.h"
#include "lv2instance.h"

namespace {

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char* bundlePath,
                       const LV2_Feature* const* features)
{
    const HostFeatures host = HostFeatures::Read(features);
    std::string library = bundlePath != nullptr ? bundlePath : "";
    if (!library.empty() && library.back() != '/')
        library += '/';
    library += PluginLibrary::fileName();
    try {
        return new Lv2Instance(library, sampleRate, host);
    } catch (const std::exception& failure) {
        host.logError(SupportedRate(sampleRate) ? std::string(failure.what())
                                                : UnsupportedRateText(sampleRate));
    } catch (...) {
        host.logError("the plug-in failed to start");
    }
    return nullptr;
}

void connectPort(LV2_Handle instance, std::uint32_t port, void* data)
{
    static_cast<Lv2Instance*>(instance)->connect(port, data);
}

void activate(LV2_Handle instance)
{
    static_cast<Lv2Instance*>(instance)->activate();
}

void run(LV2_Handle instance, std::uint32_t frames)
{
    static_cast<Lv2Instance*>(instance)->run(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle instance)
{
    delete static_cast<Lv2Instance*>(instance);
}

const void* extensionData(const char*)
{
    return nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginUri, instantiate, connectPort, activate,
                                    run,        deactivate,  cleanup,     extensionData};

} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
