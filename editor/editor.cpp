// The panel's window: a pugl view with an OpenGL 2 context embedded in the
// host's window, its events turned into the model's input, and redraws of
// only what changed.
#include "editor.h"

#if defined(_WIN32)
#include "glfunctions.h"
#endif
#include <pugl/gl.h>
#include <pugl/pugl.h>

#include <nanovg.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "fontfile.h"
#include "nanovggl.h"
#include "panelbackend.h"
#include "panelcache.h"
#include "panelmodel.h"
#include "panelpainter.h"
#include "peakmeter.h"
#include "x11connection.h"

namespace {

// Meters, the display and the Tap lamp are redrawn at most this often.
constexpr double kFramePeriod = 1.0 / 30.0;

struct WorldDeleter {
    void operator()(PuglWorld* world) const { puglFreeWorld(world); }
};
struct ViewDeleter {
    void operator()(PuglView* view) const { puglFreeView(view); }
};

} // namespace

struct Editor::Impl {
    Impl(const ProductLibrary& product, EditorHost& host, std::uintptr_t parent, EditorSize size,
         const std::string& fontPath);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    static PuglStatus onEvent(PuglView* view, const PuglEvent* event);
    PuglStatus handle(const PuglEvent& event);
    void draw(const PuglExposeEvent& expose);
    float scale() const;
    // Asks the window system to redraw a control, or those that changed.
    void redraw(Control control);
    void redrawChanged();
    void idle();

    std::vector<unsigned char> fontData;
    PanelModel model;
    PanelLayout layout;
    PeakMeter inputMeter;
    PeakMeter outputMeter;
    float inputPeak = 0.0f;
    float outputPeak = 0.0f;
    double lastFrame = -1.0;
    bool tapLit = false;
    EditorSize size;

    // The view goes before the world; NanoVG goes with the view's
    // unrealize, while its GL context is current.
    std::unique_ptr<PuglWorld, WorldDeleter> world;
    std::unique_ptr<PuglView, ViewDeleter> view;
    NVGcontext* vg = nullptr;
    int font = -1;
    PanelCache cache;
};

Editor::Impl::Impl(const ProductLibrary& product, EditorHost& host, std::uintptr_t parent,
                   EditorSize wanted, const std::string& fontPath)
    : fontData(ReadFontFile(fontPath)),
      model(product, host),
      layout(model.switchFace(Control::tone).options.size(),
             model.switchFace(Control::mode).options.size()),
      size(Editor::constrain(wanted))
{
    world.reset(puglNewWorld(PUGL_MODULE, 0));
    if (!world)
        throw std::runtime_error("the panel cannot reach the window system");
    puglSetWorldString(world.get(), PUGL_CLASS_NAME, "TapeDelayPanel");
    view.reset(puglNewView(world.get()));
    if (!view)
        throw std::runtime_error("the panel cannot make its window");
    PuglView* v = view.get();
    puglSetHandle(v, this);
    puglSetEventFunc(v, &Impl::onEvent);
    puglSetBackend(v, PanelBackend());
    puglSetViewHint(v, PUGL_CONTEXT_API, PUGL_OPENGL_API);
    puglSetViewHint(v, PUGL_CONTEXT_VERSION_MAJOR, 2);
    puglSetViewHint(v, PUGL_CONTEXT_VERSION_MINOR, 0);
    puglSetViewHint(v, PUGL_CONTEXT_PROFILE, PUGL_OPENGL_COMPATIBILITY_PROFILE);
    puglSetViewHint(v, PUGL_STENCIL_BITS, 8);
    puglSetViewHint(v, PUGL_DOUBLE_BUFFER, PUGL_TRUE);
    puglSetViewHint(v, PUGL_RESIZABLE, PUGL_TRUE);
    puglSetViewHint(v, PUGL_IGNORE_KEY_REPEAT, PUGL_FALSE);
    const EditorSize least = Editor::minimumSize();
    const EditorSize most = Editor::maximumSize();
    puglSetSizeHint(v, PUGL_DEFAULT_SIZE, size.width, size.height);
    puglSetSizeHint(v, PUGL_MIN_SIZE, least.width, least.height);
    puglSetSizeHint(v, PUGL_MAX_SIZE, most.width, most.height);
    puglSetSizeHint(v, PUGL_FIXED_ASPECT, size.width, size.height);
    puglSetParent(v, parent);
    const PuglStatus status = puglRealize(v);
    if (status != PUGL_SUCCESS)
        throw std::runtime_error(std::string("the panel cannot open its window: ") +
                                 puglStrerror(status));
    if (vg == nullptr)
        throw std::runtime_error("the panel cannot draw: the window has no OpenGL 2 context");
    puglShow(v, PUGL_SHOW_PASSIVE);
    lastFrame = puglGetTime(world.get());
}

Editor::Impl::~Impl()
{
    // pugl frees a Windows view without unrealizing it, which would leave
    // NanoVG undeleted; on X11 freeing unrealizes, and does nothing more
    // after this.
    if (vg != nullptr)
        puglUnrealize(view.get());
}

PuglStatus Editor::Impl::onEvent(PuglView* view, const PuglEvent* event)
{
    auto* self = static_cast<Impl*>(puglGetHandle(view));
    // Nothing may escape into the window system's C code.
    try {
        return self->handle(*event);
    } catch (...) {
        return PUGL_FAILURE;
    }
}

PuglStatus Editor::Impl::handle(const PuglEvent& event)
{
    const double now = puglGetTime(world.get());
    switch (event.type) {
    case PUGL_REALIZE:
        vg = CreatePanelContext();
        if (vg != nullptr)
            font =
                nvgCreateFontMem(vg, "sans", fontData.data(), static_cast<int>(fontData.size()), 0);
        return PUGL_SUCCESS;
    case PUGL_UNREALIZE:
        cache.release();
        DeletePanelContext(vg);
        vg = nullptr;
        font = -1;
        return PUGL_SUCCESS;
    case PUGL_CONFIGURE:
        size = {event.configure.width, event.configure.height};
        puglObscureView(view.get());
        return PUGL_SUCCESS;
    case PUGL_EXPOSE: draw(event.expose); return PUGL_SUCCESS;
    case PUGL_BUTTON_PRESS:
        if (event.button.button == 0) {
            const Hit hit = layout.hitTest(static_cast<float>(event.button.x),
                                           static_cast<float>(event.button.y), scale());
            if (IsDial(hit.control))
                puglGrabFocus(view.get());
            model.press(hit, event.button.y, now);
        }
        break;
    case PUGL_BUTTON_RELEASE:
        if (event.button.button == 0)
            model.release();
        break;
    case PUGL_MOTION: model.drag(event.motion.y, (event.motion.state & PUGL_MOD_SHIFT) != 0); break;
    case PUGL_SCROLL:
        if (event.scroll.direction != PUGL_SCROLL_LEFT &&
            event.scroll.direction != PUGL_SCROLL_RIGHT)
            model.wheel(layout.hitTest(static_cast<float>(event.scroll.x),
                                       static_cast<float>(event.scroll.y), scale()),
                        event.scroll.dy, (event.scroll.state & PUGL_MOD_SHIFT) != 0);
        break;
    case PUGL_KEY_PRESS: {
        const std::uint32_t key = event.key.key;
        const bool shift = (event.key.state & PUGL_MOD_SHIFT) != 0;
        bool used = false;
        if (key == PUGL_KEY_ENTER || key == PUGL_KEY_PAD_ENTER)
            used = model.key(EditKey::enter, now);
        else if (key == PUGL_KEY_ESCAPE)
            used = model.key(EditKey::escape, now);
        else if (key == PUGL_KEY_BACKSPACE)
            used = model.key(EditKey::backspace, now);
        else if (key == PUGL_KEY_UP || key == PUGL_KEY_PAD_UP)
            used = model.key(EditKey::up, now, shift);
        else if (key == PUGL_KEY_DOWN || key == PUGL_KEY_PAD_DOWN)
            used = model.key(EditKey::down, now, shift);
        redrawChanged();
        return used || model.typing() ? PUGL_SUCCESS : PUGL_UNSUPPORTED;
    }
    case PUGL_TEXT: model.type(event.text.string); break;
    case PUGL_FOCUS_OUT: model.release(); break;
    default: return PUGL_SUCCESS;
    }
    redrawChanged();
    return PUGL_SUCCESS;
}

float Editor::Impl::scale() const
{
    return std::max(std::min(static_cast<float>(size.width) / kPanelWidth,
                             static_cast<float>(size.height) / kPanelHeight),
                    0.01f);
}

void Editor::Impl::draw(const PuglExposeEvent& expose)
{
    if (vg == nullptr)
        return;
    const auto width = static_cast<int>(size.width);
    const auto height = static_cast<int>(size.height);
    glViewport(0, 0, width, height);
    // The whole panel when there is no picture of it at this size, else the
    // picture and the exposed region painted anew over it.
    const bool whole = !cache.holds(width, height);
    const PanelPixels region = whole ? PanelPixels{0, 0, width, height}
                                     : PanelPixels{expose.x, expose.y, expose.width, expose.height};
    if (whole) {
        glClearColor(0.11f, 0.10f, 0.09f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    } else {
        cache.restore();
        glClear(GL_STENCIL_BUFFER_BIT);
    }
    const float s = scale();
    nvgBeginFrame(vg, static_cast<float>(width), static_cast<float>(height), 1.0f);
    PaintPanel(vg, font, {model, layout, inputMeter, outputMeter, tapLit}, s,
               {static_cast<float>(region.x) / s, static_cast<float>(region.y) / s,
                static_cast<float>(region.width) / s, static_cast<float>(region.height) / s});
    nvgEndFrame(vg);
    cache.keep(region, width, height);
}

void Editor::Impl::redraw(Control control)
{
    const Rect r = PanelLayout::bounds(control);
    const float s = scale();
    // Two pixels more all round for the antialiased edges.
    const int x = static_cast<int>(std::floor(r.x * s)) - 2;
    const int y = static_cast<int>(std::floor(r.y * s)) - 2;
    puglObscureRegion(view.get(), std::max(x, 0), std::max(y, 0),
                      static_cast<unsigned>(std::ceil(r.w * s)) + 4,
                      static_cast<unsigned>(std::ceil(r.h * s)) + 4);
}

void Editor::Impl::redrawChanged()
{
    const std::bitset<kControlCount> changed = model.takeChanged();
    for (std::size_t i = 1; i < kControlCount; ++i)
        if (changed.test(i))
            redraw(static_cast<Control>(i));
}

void Editor::Impl::idle()
{
    const double now = puglGetTime(world.get());
    model.tick(now);
    if (now - lastFrame >= kFramePeriod * 0.9) {
        lastFrame = now;
        const double before[4] = {inputMeter.levelDb(), inputMeter.holdDb(), outputMeter.levelDb(),
                                  outputMeter.holdDb()};
        inputMeter.update(inputPeak, now);
        outputMeter.update(outputPeak, now);
        inputPeak = 0.0f;
        outputPeak = 0.0f;
        const double after[4] = {inputMeter.levelDb(), inputMeter.holdDb(), outputMeter.levelDb(),
                                 outputMeter.holdDb()};
        const bool metersMoved = !std::equal(before, before + 4, after);
        if (metersMoved)
            redraw(Control::meters);
        const bool lit = model.tapLit(now);
        if (lit != tapLit) {
            tapLit = lit;
            redraw(Control::tap);
        }
        redrawChanged();
    }
    puglUpdate(world.get(), 0.0);
}

Editor::Editor(const ProductLibrary& product, EditorHost& host, std::uintptr_t parent,
               EditorSize size, const std::string& fontPath)
    : impl(std::make_unique<Impl>(product, host, parent, size, fontPath))
{}

Editor::~Editor() = default;

std::uintptr_t Editor::nativeWindow() const
{
    return puglGetNativeView(impl->view.get());
}

EditorSize Editor::resize(EditorSize wanted)
{
    const EditorSize taken = constrain(wanted);
    puglSetSizeHint(impl->view.get(), PUGL_CURRENT_SIZE, taken.width, taken.height);
    return taken;
}

void Editor::setValue(std::size_t index, double value)
{
    impl->model.setValue(index, value);
}

void Editor::setMeters(float input, float output)
{
    // The highest peak until the meters next take them.
    if (input > impl->inputPeak)
        impl->inputPeak = input;
    if (output > impl->outputPeak)
        impl->outputPeak = output;
}

void Editor::idle()
{
    impl->idle();
}

int Editor::connectionFd() const
{
    return ConnectionFd(puglGetNativeWorld(impl->world.get()));
}
