#include "clapeditorservices.h"

#include <clap/ext/gui.h>

#include <cstring>

const void* ClapEditorServices::extension(const char* id)
{
    constexpr auto services = EditorServicesOf;
    static const clap_host_gui_t gui{
        [](const clap_host_t*) {},
        [](const clap_host_t* host, std::uint32_t width, std::uint32_t height) {
            return services(host).requestResize(width, height);
        },
        [](const clap_host_t*) { return true; }, // embedded: shown with the host window
        [](const clap_host_t*) { return false; }, [](const clap_host_t*, bool) {}};
    static const clap_host_timer_support_t timer{
        [](const clap_host_t* host, std::uint32_t period, clap_id* id) {
            return services(host).registerTimer(period, id);
        },
        [](const clap_host_t* host, clap_id id) { return services(host).unregisterTimer(id); }};
    if (std::strcmp(id, CLAP_EXT_GUI) == 0)
        return &gui;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
        return &timer;
#if !defined(_WIN32)
    static const clap_host_posix_fd_support_t fd{
        [](const clap_host_t* host, int fd, clap_posix_fd_flags_t flags) {
            return services(host).registerFd(fd, flags);
        },
        [](const clap_host_t* host, int fd, clap_posix_fd_flags_t flags) {
            return services(host).modifyFd(fd, flags);
        },
        [](const clap_host_t* host, int fd) { return services(host).unregisterFd(fd); }};
    if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0)
        return &fd;
#endif
    return nullptr;
}

void ClapEditorServices::attach(const clap_plugin_t& editorPlugin, HostWindow& hostWindow,
                                RunLoop& runLoop)
{
    plugin = &editorPlugin;
    timerSupport = static_cast<const clap_plugin_timer_support_t*>(
        plugin->get_extension(plugin, CLAP_EXT_TIMER_SUPPORT));
    fdSupport = static_cast<const clap_plugin_posix_fd_support_t*>(
        plugin->get_extension(plugin, CLAP_EXT_POSIX_FD_SUPPORT));
    window = &hostWindow;
    loop = &runLoop;
}

std::size_t ClapEditorServices::detach()
{
    const std::size_t left = timers.size() + fds.size();
    if (loop != nullptr) {
        for (const auto& [id, loopId] : timers)
            loop->removeTimer(loopId);
        for (const auto& [fd, loopId] : fds)
            loop->removeWatch(loopId);
    }
    timers.clear();
    fds.clear();
    plugin = nullptr;
    timerSupport = nullptr;
    fdSupport = nullptr;
    window = nullptr;
    loop = nullptr;
    return left;
}

bool ClapEditorServices::registerTimer(std::uint32_t periodMs, clap_id* id)
{
    if (loop == nullptr || timerSupport == nullptr || timerSupport->on_timer == nullptr ||
        id == nullptr)
        return false;
    const clap_id timer = ++lastTimer;
    const clap_plugin_t* const owner = plugin;
    const clap_plugin_timer_support_t* const support = timerSupport;
    timers[timer] = loop->addTimer(periodMs, [=] { support->on_timer(owner, timer); });
    *id = timer;
    return true;
}

bool ClapEditorServices::unregisterTimer(clap_id id)
{
    const auto found = timers.find(id);
    if (found == timers.end())
        return false;
    loop->removeTimer(found->second);
    timers.erase(found);
    return true;
}

bool ClapEditorServices::registerFd(int fd, clap_posix_fd_flags_t flags)
{
    if (loop == nullptr || fdSupport == nullptr || fdSupport->on_fd == nullptr || fd < 0 ||
        fds.count(fd) != 0)
        return false;
    const clap_plugin_t* const owner = plugin;
    const clap_plugin_posix_fd_support_t* const support = fdSupport;
    const RunLoop::Id id =
        loop->addWatch(fd, flags, [=](unsigned ready) { support->on_fd(owner, fd, ready); });
    if (id == 0)
        return false;
    fds[fd] = id;
    return true;
}

bool ClapEditorServices::modifyFd(int fd, clap_posix_fd_flags_t flags)
{
    const auto found = fds.find(fd);
    return found != fds.end() && loop->changeWatch(found->second, flags);
}

bool ClapEditorServices::unregisterFd(int fd)
{
    const auto found = fds.find(fd);
    if (found == fds.end())
        return false;
    loop->removeWatch(found->second);
    fds.erase(found);
    return true;
}

bool ClapEditorServices::requestResize(std::uint32_t width, std::uint32_t height)
{
    return window != nullptr && width > 0 && height > 0 && window->resize(width, height);
}
