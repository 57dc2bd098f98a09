#include "clapeditor.h"

#include <string>

#include "host/pluginhost/hosterrors.h"

namespace {

#if defined(_WIN32)
const char* const kApi = CLAP_WINDOW_API_WIN32;
#else
const char* const kApi = CLAP_WINDOW_API_X11;
#endif

} // namespace

ClapEditor::ClapEditor(const ClapInstance& instance, ClapEditorServices& services,
                       HostWindow& window, RunLoop& loop, std::ostream& log)
    : plugin(instance.plugin()),
      services(services),
      log(log)
{
    gui = static_cast<const clap_plugin_gui_t*>(plugin.get_extension(&plugin, CLAP_EXT_GUI));
    if (gui == nullptr)
        throw PluginFailure("the plug-in has no gui extension");
    if (!gui->is_api_supported(&plugin, kApi, false))
        throw PluginFailure(std::string("the plug-in's gui does not embed in a ") + kApi +
                            " window");
    services.attach(plugin, window, loop);
    if (!gui->create(&plugin, kApi, false))
        fail("the plug-in refused gui.create", false);
    std::uint32_t width = 0, height = 0;
    if (gui->get_size(&plugin, &width, &height) && width > 0 && height > 0)
        window.resize(width, height);
    clap_window_t parent{};
    parent.api = kApi;
#if defined(_WIN32)
    parent.win32 = reinterpret_cast<clap_hwnd>(window.native());
#else
    parent.x11 = window.native();
#endif
    if (!gui->set_parent(&plugin, &parent))
        fail("the plug-in refused gui.set_parent", true);
    if (!gui->show(&plugin))
        fail("the plug-in refused gui.show", true);
}

ClapEditor::~ClapEditor()
{
    gui->hide(&plugin);
    gui->destroy(&plugin);
    if (const std::size_t left = services.detach(); left > 0)
        log << "claphost: warning: the editor left " << left
            << " timer(s) or descriptor(s) registered after gui.destroy\n";
}

void ClapEditor::fail(const char* what, bool created)
{
    if (created)
        gui->destroy(&plugin);
    services.detach();
    throw PluginFailure(what);
}
