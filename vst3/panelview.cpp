#include "panelview.h"

#include <algorithm>
#include <exception>

#include "classids.h"
#include "controller.h"

using namespace Steinberg;

namespace {

constexpr unsigned kTickMilliseconds = 33;

#if defined(_WIN32)
const FIDString kPlatform = kPlatformTypeHWND;
#else
const FIDString kPlatform = kPlatformTypeX11EmbedWindowID;
#endif

ViewRect RectOf(EditorSize size)
{
    return {0, 0, static_cast<int32>(size.width), static_cast<int32>(size.height)};
}

EditorSize SizeOf(const ViewRect& rect)
{
    return {static_cast<std::uint32_t>(std::max(rect.getWidth(), 0)),
            static_cast<std::uint32_t>(std::max(rect.getHeight(), 0))};
}

} // namespace

PanelView::PanelView(TapeDelayController& owner)
    : controller(&owner),
      editorGestures(owner),
      rect(RectOf(Editor::defaultSize()))
{}

PanelView::~PanelView()
{
    close();
    controller->viewClosed(this);
}

tresult PLUGIN_API PanelView::isPlatformTypeSupported(FIDString type)
{
    return type != nullptr && FIDStringsEqual(type, kPlatform) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API PanelView::attached(void* parent, FIDString type)
{
    if (editor || parent == nullptr || isPlatformTypeSupported(type) != kResultTrue)
        return kResultFalse;
    return open(reinterpret_cast<std::uintptr_t>(parent)) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API PanelView::removed()
{
    close();
    return kResultOk;
}

bool PanelView::open(std::uintptr_t parent)
{
#if !defined(_WIN32)
    FUnknownPtr<Linux::IRunLoop> hostLoop(frame);
    if (!hostLoop)
        return false;
#endif
    const LoadedProduct& product = controller->loaded();
    try {
        editor = std::make_unique<Editor>(product, editorGestures, parent, SizeOf(rect),
                                          product.fontPath);
#if defined(_WIN32)
        timer = std::make_unique<WindowsTimer>(editor->nativeWindow(), kTickMilliseconds,
                                               [this] { editor->idle(); });
#else
        handler = owned(new RunLoopHandler([this] { editor->idle(); }));
#endif
    } catch (const std::exception&) {
        close();
        return false;
    }
#if !defined(_WIN32)
    runLoop = hostLoop;
    const int fd = editor->connectionFd();
    if (runLoop->registerTimer(handler, kTickMilliseconds) != kResultOk ||
        (fd >= 0 && runLoop->registerEventHandler(handler, fd) != kResultOk)) {
        close();
        return false;
    }
#endif
    for (std::size_t i = 0; i < product.description.parameters.size(); ++i) {
        const Vst::ParamID id = product.description.parameters[i].identifier;
        show(id, controller->getParamNormalized(id));
    }
    return true;
}

void PanelView::close()
{
    editorGestures.endAll();
#if defined(_WIN32)
    timer.reset();
#else
    if (runLoop) {
        runLoop->unregisterTimer(handler);
        runLoop->unregisterEventHandler(handler);
        runLoop = nullptr;
    }
    if (handler) {
        handler->stop();
        handler = nullptr;
    }
#endif
    editor.reset();
}

tresult PLUGIN_API PanelView::getSize(ViewRect* size)
{
    if (size == nullptr)
        return kInvalidArgument;
    *size = rect;
    return kResultTrue;
}

tresult PLUGIN_API PanelView::onSize(ViewRect* newSize)
{
    if (newSize == nullptr)
        return kInvalidArgument;
    const EditorSize taken =
        editor ? editor->resize(SizeOf(*newSize)) : Editor::constrain(SizeOf(*newSize));
    rect = *newSize;
    rect.right = rect.left + static_cast<int32>(taken.width);
    rect.bottom = rect.top + static_cast<int32>(taken.height);
    return kResultTrue;
}

tresult PLUGIN_API PanelView::setFrame(IPlugFrame* newFrame)
{
    frame = newFrame;
    return kResultTrue;
}

tresult PLUGIN_API PanelView::checkSizeConstraint(ViewRect* wanted)
{
    if (wanted == nullptr)
        return kInvalidArgument;
    const EditorSize size = Editor::constrain(SizeOf(*wanted));
    wanted->right = wanted->left + static_cast<int32>(size.width);
    wanted->bottom = wanted->top + static_cast<int32>(size.height);
    return kResultTrue;
}

void PanelView::show(Vst::ParamID id, Vst::ParamValue normalised)
{
    if (!editor)
        return;
    for (std::size_t m = 0; m < 2; ++m)
        if (id == kMeterParameters[m]) {
            const auto peak = static_cast<float>(normalised);
            editor->setMeters(m == 0 ? peak : 0.0f, m == 1 ? peak : 0.0f);
            return;
        }
    const LoadedProduct& product = controller->loaded();
    const std::size_t index = product.indexOf(id);
    if (index < product.scales.size() && !editorGestures.editing(index))
        editor->setValue(index, product.scales[index].toPlain(normalised));
}
