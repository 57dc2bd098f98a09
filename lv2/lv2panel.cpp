#include "lv2panel.h"

#include <algorithm>
#include <stdexcept>

#include "host/runtime/pluginlibrary.h"

namespace {

std::uintptr_t parentOf(const PanelFeatures& features)
{
    if (!features.parent)
        throw std::runtime_error("the host offered no window to embed the panel in (ui:parent)");
    return *features.parent;
}

} // namespace

Lv2Panel::Lv2Panel(const std::string& bundlePath, std::uint32_t channels,
                   LV2UI_Write_Function write, LV2UI_Controller controller,
                   const PanelFeatures& features)
    : features(features),
      write(write),
      controller(controller),
      product(bundlePath + PluginLibrary::fileName()),
      ports(product.description, channels),
      editor(product, *this, parentOf(features), Editor::defaultSize(),
             bundlePath + kEditorFontFile)
{
    tellSize(Editor::defaultSize());
}

void Lv2Panel::portEvent(std::uint32_t port, std::uint32_t bufferSize, std::uint32_t format,
                         const void* buffer)
{
    if (format != 0 || bufferSize != sizeof(float) || buffer == nullptr)
        return;
    const PanelUpdate update = ports.fromPort(port, *static_cast<const float*>(buffer));
    const auto peak = static_cast<float>(update.value);
    switch (update.kind) {
    case PanelUpdate::Kind::value: editor.setValue(update.index, update.value); break;
    case PanelUpdate::Kind::inputMeter:
        inputPeak = std::max(inputPeak, peak);
        metersChanged = true;
        break;
    case PanelUpdate::Kind::outputMeter:
        outputPeak = std::max(outputPeak, peak);
        metersChanged = true;
        break;
    case PanelUpdate::Kind::none: break;
    }
}

void Lv2Panel::idle()
{
    if (metersChanged) {
        editor.setMeters(inputPeak, outputPeak);
        inputPeak = outputPeak = 0.0f;
        metersChanged = false;
    }
    editor.idle();
}

void Lv2Panel::resize(int width, int height)
{
    const EditorSize wanted{static_cast<std::uint32_t>(std::max(width, 0)),
                            static_cast<std::uint32_t>(std::max(height, 0))};
    const EditorSize taken = editor.resize(wanted);
    if (taken.width != wanted.width || taken.height != wanted.height)
        tellSize(taken);
}

void Lv2Panel::beginGesture(std::size_t index)
{
    touch(index, true);
}

void Lv2Panel::changeValue(std::size_t index, double value)
{
    if (const std::optional<PortWrite> change = ports.toPort(index, value))
        writePort(change->port, change->value);
}

void Lv2Panel::endGesture(std::size_t index)
{
    touch(index, false);
}

void Lv2Panel::tapButton(bool down)
{
    if (const std::optional<std::uint32_t> port = ports.tapPort())
        writePort(*port, down ? 1.0f : 0.0f);
}

void Lv2Panel::writePort(std::uint32_t port, float value)
{
    if (write != nullptr)
        write(controller, port, sizeof value, 0, &value);
}

void Lv2Panel::touch(std::size_t index, bool grabbed)
{
    if (features.touch == nullptr || features.touch->touch == nullptr)
        return;
    if (const std::optional<std::uint32_t> port = ports.inputPort(index))
        features.touch->touch(features.touch->handle, *port, grabbed);
}

void Lv2Panel::tellSize(EditorSize size)
{
    if (features.resize != nullptr && features.resize->ui_resize != nullptr)
        features.resize->ui_resize(features.resize->handle, static_cast<int>(size.width),
                                   static_cast<int>(size.height));
}
