// The bundle's UI module: the panels of the mono and the stereo plug-in
// (lv2ui_descriptor, its only export), each handing over to an Lv2Panel,
// with the idle interface that drives it and the resize a host asks for.
// Nothing thrown leaves the module: a failed panel is logged and not made.
#include <cstring>
#include <exception>
#include <string>

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include "lv2panel.h"

namespace {

Lv2Panel& panelOf(LV2UI_Handle handle)
{
    return *static_cast<Lv2Panel*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor* descriptor, const char* pluginUri,
                         const char* bundlePath, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features)
{
    const PanelFeatures found = PanelFeatures::Read(features);
    const BundlePlugin* plugin = nullptr;
    for (const BundlePlugin& each : kBundlePlugins)
        if (std::strcmp(each.ui, descriptor->URI) == 0)
            plugin = &each;
    if (plugin == nullptr || pluginUri == nullptr || std::strcmp(plugin->uri, pluginUri) != 0) {
        found.host.logError(std::string("the panel ") + descriptor->URI + " is not for " +
                            (pluginUri != nullptr ? pluginUri : "no plug-in"));
        return nullptr;
    }
    if (bundlePath == nullptr || widget == nullptr) {
        found.host.logError("the host gave the panel no bundle path or no place for its window");
        return nullptr;
    }
    std::string bundle = bundlePath;
    if (!bundle.empty() && bundle.back() != '/')
        bundle += '/';
    try {
        auto* panel = new Lv2Panel(bundle, plugin->channels, write, controller, found);
        *widget = reinterpret_cast<LV2UI_Widget>(panel->widget());
        return panel;
    } catch (const std::exception& failure) {
        found.host.logError(std::string("the panel could not open: ") + failure.what());
    } catch (...) {
        found.host.logError("the panel could not open");
    }
    return nullptr;
}

void cleanup(LV2UI_Handle handle)
{
    delete static_cast<Lv2Panel*>(handle);
}

void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t bufferSize,
               std::uint32_t format, const void* buffer)
{
    try {
        panelOf(handle).portEvent(port, bufferSize, format, buffer);
    } catch (...) {
        // A value the panel cannot show is dropped; the plug-in has it.
    }
}

int idle(LV2UI_Handle handle)
{
    try {
        panelOf(handle).idle();
    } catch (...) {
        // This round's drawing is lost; the next idle tries again.
    }
    return 0;
}

int resize(LV2UI_Feature_Handle handle, int width, int height)
{
    try {
        panelOf(handle).resize(width, height);
        return 0;
    } catch (...) {
        return 1;
    }
}

const LV2UI_Idle_Interface kIdleInterface = {idle};
const LV2UI_Resize kResize = {nullptr, resize};

const void* extensionData(const char* uri)
{
    if (uri == nullptr)
        return nullptr;
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &kIdleInterface;
    if (std::strcmp(uri, LV2_UI__resize) == 0)
        return &kResize;
    return nullptr;
}

const LV2UI_Descriptor kDescriptors[] = {
    {kBundlePlugins[0].ui, instantiate, cleanup, portEvent, extensionData},
    {kBundlePlugins[1].ui, instantiate, cleanup, portEvent, extensionData},
};

} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index)
{
    return index < std::size(kDescriptors) ? &kDescriptors[index] : nullptr;
}
