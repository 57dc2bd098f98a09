#include "vst3editor.h"

#include <string>

#include "host/pluginhost/hosterrors.h"

using namespace Steinberg;

namespace {

#if defined(_WIN32)
const FIDString kPlatform = kPlatformTypeHWND;
#else
const FIDString kPlatform = kPlatformTypeX11EmbedWindowID;
#endif

} // namespace

Vst3Editor::Vst3Editor(Vst::IEditController& controller, HostWindow& window, RunLoop& loop,
                       std::ostream& log)
    : frame(window, loop),
      log(log)
{
    view = owned(controller.createView(Vst::ViewType::kEditor));
    if (!view)
        throw PluginFailure("the plug-in's controller made no editor view");
    if (view->isPlatformTypeSupported(kPlatform) != kResultTrue)
        throw PluginFailure(std::string("the plug-in's editor does not take a ") + kPlatform +
                            " window");
    if (view->setFrame(&frame) != kResultOk)
        throw PluginFailure("the plug-in's editor refused its frame");
    ViewRect size;
    if (view->getSize(&size) == kResultOk && size.getWidth() > 0 && size.getHeight() > 0)
        window.resize(static_cast<std::uint32_t>(size.getWidth()),
                      static_cast<std::uint32_t>(size.getHeight()));
    if (view->attached(reinterpret_cast<void*>(window.native()), kPlatform) != kResultOk) {
        view->setFrame(nullptr);
        throw PluginFailure("the plug-in's editor refused to attach to the host window");
    }
}

Vst3Editor::~Vst3Editor()
{
    view->removed();
    view->setFrame(nullptr);
    view = nullptr;
    if (const std::size_t left = frame.registrations(); left > 0)
        log << "vst3host: warning: the editor left " << left
            << " timer(s) or event handler(s) registered after it was removed\n";
}
