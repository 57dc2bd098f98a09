#include "gui.h"

#include <cmath>
#include <cstring>
#include <exception>
#include <string>

#include "tapedelayclap.h"

namespace {

constexpr std::uint32_t kTickMilliseconds = 33;

#if defined(_WIN32)
constexpr const char* kApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kApi = CLAP_WINDOW_API_X11;
#endif

} // namespace

bool ClapGui::Supports(const char* api, bool floating)
{
    return !floating && api != nullptr && std::strcmp(api, kApi) == 0;
}

const char* ClapGui::PreferredApi()
{
    return kApi;
}

std::unique_ptr<ClapGui> ClapGui::Create(TapeDelayClap& instance)
{
    const HostServices& services = instance.host();
    std::optional<clap_id> timer;
    if (services.offersTimers()) {
        timer = services.registerTimer(kTickMilliseconds);
        if (!timer) {
            services.log(CLAP_LOG_ERROR, "the host refused the editor's timer");
            return nullptr;
        }
    } else {
#if !defined(_WIN32)
        services.log(CLAP_LOG_ERROR, "the editor needs the host's timer support");
        return nullptr;
#endif
    }
    return std::unique_ptr<ClapGui>(new ClapGui(instance, timer));
}

ClapGui::ClapGui(TapeDelayClap& instance, std::optional<clap_id> timer)
    : instance(instance),
      timer(timer)
{}

ClapGui::~ClapGui()
{
    // Gestures the closing editor left open end here, as the host expects.
    if (instance.gestureQueue().endAll())
        instance.host().requestFlush();
    if (watchedFd >= 0)
        instance.host().unregisterFd(watchedFd);
    if (timer)
        instance.host().unregisterTimer(*timer);
}

bool ClapGui::setSize(EditorSize wanted)
{
    const EditorSize taken = Editor::constrain(wanted);
    if (taken.width != wanted.width || taken.height != wanted.height)
        return false;
    current = editor ? editor->resize(wanted) : taken;
    return true;
}

bool ClapGui::setParent(const clap_window_t* window)
{
    const HostServices& services = instance.host();
    if (editor || window == nullptr || window->api == nullptr || !Supports(window->api, false)) {
        services.log(CLAP_LOG_HOST_MISBEHAVING,
                     "set_parent: the editor has a window already, or this is not one of its API");
        return false;
    }
#if defined(_WIN32)
    const auto parent = reinterpret_cast<std::uintptr_t>(window->win32);
#else
    const auto parent = static_cast<std::uintptr_t>(window->x11);
#endif
    try {
        editor = std::make_unique<Editor>(instance.shared().product, instance.editorHost(), parent,
                                          current, instance.shared().fontPath);
#if defined(_WIN32)
        if (!timer)
            windowsTimer = std::make_unique<WindowsTimer>(editor->nativeWindow(), kTickMilliseconds,
                                                          [this] { tick(); });
#endif
    } catch (const std::exception& failure) {
        editor.reset();
        services.log(CLAP_LOG_ERROR,
                     (std::string("the editor cannot open: ") + failure.what()).c_str());
        return false;
    }
    if (services.registerFd(editor->connectionFd()))
        watchedFd = editor->connectionFd();
    shown.assign(instance.shared().product.description.parameters.size(), std::nan(""));
    showValues();
    return true;
}

void ClapGui::onTimer(clap_id id)
{
    if (timer == id)
        tick();
}

void ClapGui::onFd(int fd)
{
    if (editor && fd == watchedFd)
        editor->idle();
}

void ClapGui::tick()
{
    if (!editor)
        return;
    showValues();
    editor->idle();
}

void ClapGui::showValues()
{
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (instance.gestureQueue().open(static_cast<std::uint32_t>(i)))
            continue;
        const double value = instance.publishedValue(i);
        if (value != shown[i]) {
            editor->setValue(i, value);
            shown[i] = value;
        }
    }
    editor->setMeters(instance.meterPeak(0).take(), instance.meterPeak(1).take());
}
