// One panel in an LV2 host: the Editor embedded in the host's window, with
// the plug-in library loaded from the bundle for its descriptions. Values
// reach it as port events; its gestures go out as port writes between the
// host's touch calls; the Tap button writes its port 1, then 0.
//
// Threads: everything here is the host's UI thread.
#pragma once

#include <cstdint>
#include <string>

#include <lv2/ui/ui.h>

#include "editor/editor.h"
#include "host/effect/productlibrary.h"
#include "panelfeatures.h"
#include "panelports.h"

class Lv2Panel final : private EditorHost {
public:
    // [ui] allocates; throws std::runtime_error without a parent window,
    // PluginLoadError or PluginContractError for the library, and what the
    // Editor throws. bundlePath ends in a separator.
    Lv2Panel(const std::string& bundlePath, std::uint32_t channels, LV2UI_Write_Function write,
             LV2UI_Controller controller, const PanelFeatures& features);
    ~Lv2Panel() = default;
    Lv2Panel(const Lv2Panel&) = delete;
    Lv2Panel& operator=(const Lv2Panel&) = delete;

    // The panel's window, for the host to show.
    std::uintptr_t widget() const { return editor.nativeWindow(); }

    // [ui] A port's value (format 0, one float); anything else is ignored.
    void portEvent(std::uint32_t port, std::uint32_t bufferSize, std::uint32_t format,
                   const void* buffer);
    // [ui] The meters' peaks since the last idle, then the Editor's events
    // and drawing.
    void idle();
    // [ui] The host's resize; the panel takes the nearest size it allows and
    // tells the host when that differs.
    void resize(int width, int height);

private:
    void beginGesture(std::size_t index) override;
    void changeValue(std::size_t index, double value) override;
    void endGesture(std::size_t index) override;
    void tapButton(bool down) override;

    void writePort(std::uint32_t port, float value);
    void touch(std::size_t index, bool grabbed);
    void tellSize(EditorSize size);

    PanelFeatures features;
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    ProductLibrary product;
    PanelPorts ports; // refers to product's description
    float inputPeak = 0.0f;
    float outputPeak = 0.0f;
    bool metersChanged = false;
    Editor editor; // last: made after, and gone before, what it uses
};
