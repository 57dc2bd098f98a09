#include "guicallbacks.h"

#include <cstring>

#include "clap/ext/gui.h"
#include "clap/ext/posix-fd-support.h"
#include "clap/ext/timer-support.h"
#include "gui.h"
#include "tapedelayclap.h"

namespace {

ClapGui* Gui(const clap_plugin_t* plugin)
{
    return TapeDelayClap::Of(plugin).gui();
}

bool IsApiSupported(const clap_plugin_t*, const char* api, bool floating)
{
    return ClapGui::Supports(api, floating);
}

bool GetPreferredApi(const clap_plugin_t*, const char** api, bool* floating)
{
    if (api == nullptr || floating == nullptr)
        return false;
    *api = ClapGui::PreferredApi();
    *floating = false;
    return true;
}

bool Create(const clap_plugin_t* plugin, const char* api, bool floating)
{
    return ClapGui::Supports(api, floating) && TapeDelayClap::Of(plugin).createGui();
}

void Destroy(const clap_plugin_t* plugin)
{
    TapeDelayClap::Of(plugin).destroyGui();
}

// The panel follows its size, whatever the host's scale.
bool SetScale(const clap_plugin_t*, double)
{
    return false;
}

bool GetSize(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height)
{
    if (Gui(plugin) == nullptr || width == nullptr || height == nullptr)
        return false;
    const EditorSize size = Gui(plugin)->size();
    *width = size.width;
    *height = size.height;
    return true;
}

bool CanResize(const clap_plugin_t*)
{
    return true;
}

bool GetResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t* hints)
{
    if (hints == nullptr)
        return false;
    const EditorSize aspect = Editor::defaultSize();
    hints->can_resize_horizontally = true;
    hints->can_resize_vertically = true;
    hints->preserve_aspect_ratio = true;
    hints->aspect_ratio_width = aspect.width;
    hints->aspect_ratio_height = aspect.height;
    return true;
}

bool AdjustSize(const clap_plugin_t*, std::uint32_t* width, std::uint32_t* height)
{
    if (width == nullptr || height == nullptr)
        return false;
    const EditorSize size = Editor::constrain({*width, *height});
    *width = size.width;
    *height = size.height;
    return true;
}

bool SetSize(const clap_plugin_t* plugin, std::uint32_t width, std::uint32_t height)
{
    return Gui(plugin) != nullptr && Gui(plugin)->setSize({width, height});
}

bool SetParent(const clap_plugin_t* plugin, const clap_window_t* window)
{
    return Gui(plugin) != nullptr && Gui(plugin)->setParent(window);
}

// Embedded only: no window of its own to stack.
bool SetTransient(const clap_plugin_t*, const clap_window_t*)
{
    return false;
}

void SuggestTitle(const clap_plugin_t*, const char*) {}

// The host shows and hides its own window, the panel's parent.
bool ShowOrHide(const clap_plugin_t* plugin)
{
    return Gui(plugin) != nullptr;
}

const clap_plugin_gui_t kGui = {IsApiSupported, GetPreferredApi, Create,    Destroy,
                                SetScale,       GetSize,         CanResize, GetResizeHints,
                                AdjustSize,     SetSize,         SetParent, SetTransient,
                                SuggestTitle,   ShowOrHide,      ShowOrHide};

void OnTimer(const clap_plugin_t* plugin, clap_id timer)
{
    if (ClapGui* gui = Gui(plugin))
        gui->onTimer(timer);
}

const clap_plugin_timer_support_t kTimerSupport = {OnTimer};

#if !defined(_WIN32)
void OnFd(const clap_plugin_t* plugin, int fd, clap_posix_fd_flags_t)
{
    if (ClapGui* gui = Gui(plugin))
        gui->onFd(fd);
}

const clap_plugin_posix_fd_support_t kPosixFdSupport = {OnFd};
#endif

} // namespace

const void* GuiExtension(const char* id)
{
    if (std::strcmp(id, CLAP_EXT_GUI) == 0)
        return &kGui;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
        return &kTimerSupport;
#if !defined(_WIN32)
    if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0)
        return &kPosixFdSupport;
#endif
    return nullptr;
}
