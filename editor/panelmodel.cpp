#include "panelmodel.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "dialscale.h"
#include "host/product/parametercodes.h"
#include "host/runtime/values/parametervalue.h"
#include "paneltext.h"

namespace {

std::size_t find(const PluginDescription& description, const char* code, ParameterKind kind)
{
    const std::optional<std::size_t> index = description.find(code);
    if (!index)
        throw std::runtime_error(std::string("the panel needs the parameter \"") + code +
                                 "\", which the plug-in does not have");
    const ParameterInfo& parameter = description.parameters[*index];
    if (parameter.kind != kind || (kind == ParameterKind::list && parameter.options.empty()))
        throw std::runtime_error(std::string("the panel needs \"") + code + "\" as a " +
                                 (kind == ParameterKind::list ? "list" : "number"));
    if (!(parameter.maxValue > parameter.minValue) && kind == ParameterKind::numeric)
        throw std::runtime_error(std::string("the panel needs \"") + code + "\" with a range");
    return *index;
}

std::size_t findBypass(const PluginDescription& description)
{
    for (std::size_t i = 0; i < description.parameters.size(); ++i)
        if (description.parameters[i].hostBypass)
            return i;
    throw std::runtime_error("the panel needs the host's bypass parameter, which is missing");
}

// The typed text without its spaces: "375 ms" reads as "375ms".
std::string withoutSpaces(std::string_view text)
{
    std::string kept;
    for (const char c : text)
        if (c != ' ' && c != '\t')
            kept += c;
    return kept;
}

} // namespace

PanelModel::PanelModel(const ProductLibrary& product, EditorHost& host)
    : product(product),
      host(host)
{
    const PluginDescription& d = product.description;
    const auto numeric = ParameterKind::numeric;
    const auto list = ParameterKind::list;
    at = {find(d, kDelayTime, numeric),
          find(d, kFeedback, numeric),
          find(d, kInput, numeric),
          find(d, kOutput, numeric),
          find(d, kBlend, numeric),
          find(d, kTone, list),
          find(d, kMode, list),
          find(d, kNoteValue, list),
          find(d, kDottedTriplet, list),
          find(d, kTempoLock, list),
          findBypass(d),
          find(d, kTempo, numeric),
          find(d, kShownSessionTempo, numeric),
          find(d, kShownTempoDelay, numeric)};
    for (const ParameterInfo& p : d.parameters)
        values.push_back(p.defaultValue);
    dirty.set();
}

const ParameterInfo& PanelModel::parameter(std::size_t index) const
{
    return product.description.parameters[index];
}

std::optional<std::size_t> PanelModel::parameterOf(Control control) const
{
    switch (control) {
    case Control::delayTime: return followsNote() ? at.note : at.time;
    case Control::feedback: return at.feedback;
    case Control::input: return at.input;
    case Control::output: return at.output;
    case Control::blend: return at.blend;
    case Control::tone: return at.tone;
    case Control::mode: return at.mode;
    case Control::noteValue: return at.note;
    case Control::dottedTriplet: return at.dottedTriplet;
    case Control::tempoLock: return at.tempoLock;
    case Control::bypass: return at.bypass;
    default: return std::nullopt;
    }
}

bool PanelModel::followsNote() const
{
    return isOn(at.tempoLock) || option(at.note) != 0;
}

std::size_t PanelModel::option(std::size_t index) const
{
    const double v = std::floor(values[index]);
    const double last = static_cast<double>(parameter(index).options.size()) - 1.0;
    return static_cast<std::size_t>(std::clamp(v, 0.0, std::max(last, 0.0)));
}

bool PanelModel::isOn(std::size_t index) const
{
    const ParameterInfo& p = parameter(index);
    return values[index] >= (p.minValue + p.maxValue) / 2.0 && values[index] > p.minValue;
}

double PanelModel::value(std::size_t index) const
{
    return index < values.size() ? values[index] : 0.0;
}

bool PanelModel::setValue(std::size_t index, double value)
{
    if (index >= values.size() || std::isnan(value))
        return false;
    if (dragging != Control::none && index == dragIndex)
        return false;
    const ParameterInfo& p = parameter(index);
    const double v = std::clamp(value, p.minValue, p.maxValue);
    if (v == values[index])
        return false;
    values[index] = v;
    changed(index);
    return true;
}

void PanelModel::changed(std::size_t index)
{
    if (index == at.bypass) {
        dirty.set(); // dimmed or lit again, every control
        return;
    }
    if (index == at.time || index == at.note || index == at.dottedTriplet ||
        index == at.tempoLock || index == at.bpm || index == at.sessionTempo ||
        index == at.tempoDelay) {
        changed(Control::delayTime);
        changed(Control::display);
        changed(Control::tap);
    }
    for (std::size_t i = 1; i < kControlCount; ++i)
        if (parameterOf(static_cast<Control>(i)) == index)
            dirty.set(i);
}

void PanelModel::set(std::size_t index, double value)
{
    host.beginGesture(index);
    host.changeValue(index, value);
    host.endGesture(index);
    if (values[index] != value) {
        values[index] = value;
        changed(index);
    }
}

void PanelModel::stepOption(std::size_t index, int steps, bool wrap)
{
    const auto count = static_cast<long>(parameter(index).options.size());
    long next = static_cast<long>(option(index)) + steps;
    next = wrap ? ((next % count) + count) % count : std::clamp(next, 0L, count - 1);
    if (static_cast<std::size_t>(next) != option(index))
        set(index, static_cast<double>(next));
}

void PanelModel::choosePreset(int steps)
{
    const auto count = static_cast<long>(product.presets.size());
    if (count == 0)
        return;
    long next = preset ? static_cast<long>(*preset) + steps : (steps > 0 ? 0 : count - 1);
    next = ((next % count) + count) % count;
    preset = static_cast<std::size_t>(next);
    for (const auto& [index, value] : product.presets[*preset].changes)
        if (index < values.size())
            set(index, value);
    changed(Control::presets);
}

void PanelModel::press(Hit hit, double y, double now)
{
    release(); // a release the window never saw
    if (typing() && !(hit.control == editing && hit.part == Part::valueText))
        stopTyping();
    const bool twice = hit.control == lastPress && now - lastPressTime <= kDoubleClickSeconds;
    lastPress = hit.control;
    lastPressTime = twice ? -1.0 : now;

    if (IsDial(hit.control)) {
        if (focus != hit.control) {
            changed(focus);
            focus = hit.control;
            changed(focus);
        }
        const std::size_t index = *parameterOf(hit.control);
        if (hit.part == Part::valueText) {
            if (!typing())
                startTyping(hit.control);
        } else if (twice) {
            set(index, parameter(index).defaultValue);
        } else {
            dragging = hit.control;
            dragIndex = index;
            dragY = y;
            dragPosition = index == at.note ? 0.0 : DialPosition(parameter(index), values[index]);
            dragStartOption = option(at.note);
        }
        return;
    }
    switch (hit.control) {
    case Control::tone:
    case Control::mode: {
        const std::size_t index = *parameterOf(hit.control);
        if (hit.part >= 0 && static_cast<std::size_t>(hit.part) < parameter(index).options.size() &&
            (static_cast<std::size_t>(hit.part) != option(index)))
            set(index, static_cast<double>(hit.part));
        break;
    }
    case Control::noteValue:
    case Control::dottedTriplet:
        stepOption(*parameterOf(hit.control), hit.part == Part::label ? 1 : hit.part,
                   hit.part == Part::label);
        break;
    case Control::presets: choosePreset(hit.part == Part::label ? 1 : hit.part); break;
    case Control::tempoLock:
    case Control::bypass: {
        const std::size_t index = *parameterOf(hit.control);
        set(index, isOn(index) ? parameter(index).minValue : parameter(index).maxValue);
        break;
    }
    case Control::tap:
        tapHeld = true;
        tapOrigin = now;
        host.tapButton(true);
        changed(Control::tap);
        break;
    default: break;
    }
}

void PanelModel::drag(double y, bool shift)
{
    if (dragging == Control::none || std::isnan(y))
        return;
    const double moved = dragY - y; // up is more
    dragY = y;
    double next = 0.0;
    if (dragIndex == at.note) {
        dragPosition += moved;
        const auto steps = static_cast<long>(std::trunc(dragPosition / kNoteStepPixels));
        const auto last = static_cast<long>(parameter(at.note).options.size()) - 1;
        next = steps == 0 ? static_cast<double>(dragStartOption)
                          : static_cast<double>(
                                std::clamp(static_cast<long>(dragStartOption) + steps, 1L, last));
    } else {
        dragPosition =
            std::clamp(dragPosition + moved / kDragPixels * (shift ? kFineFactor : 1.0), 0.0, 1.0);
        next = DialValue(parameter(dragIndex), dragPosition);
    }
    if (next != values[dragIndex]) {
        // The gesture begins with the first change: a click alone is none.
        if (!dragGesture)
            host.beginGesture(dragIndex);
        dragGesture = true;
        values[dragIndex] = next;
        host.changeValue(dragIndex, next);
        changed(dragIndex);
    }
}

void PanelModel::release()
{
    if (dragging != Control::none && dragGesture)
        host.endGesture(dragIndex);
    dragging = Control::none;
    dragGesture = false;
    if (tapHeld) {
        tapHeld = false;
        host.tapButton(false);
        changed(Control::tap);
    }
}

void PanelModel::wheel(Hit hit, double notches, bool shift)
{
    if (!std::isfinite(notches) || notches == 0.0 || dragging != Control::none)
        return;
    const int steps = notches > 0.0 ? 1 : -1;
    const std::optional<std::size_t> index = parameterOf(hit.control);
    if (hit.control == Control::presets) {
        choosePreset(steps);
    } else if (!index) {
        return;
    } else if (parameter(*index).kind == ParameterKind::list && IsDial(hit.control)) {
        // The time dial on notes: never back to no note.
        const auto last = static_cast<long>(parameter(*index).options.size()) - 1;
        const long next = std::clamp(static_cast<long>(option(*index)) + steps, 1L, last);
        if (static_cast<std::size_t>(next) != option(*index))
            set(*index, static_cast<double>(next));
    } else if (IsDial(hit.control)) {
        const ParameterInfo& p = parameter(*index);
        const double position =
            DialPosition(p, values[*index]) + notches * kWheelStep * (shift ? kFineFactor : 1.0);
        const double next = DialValue(p, position);
        if (next != values[*index])
            set(*index, next);
    } else if (hit.control == Control::tempoLock || hit.control == Control::bypass) {
        const ParameterInfo& p = parameter(*index);
        const double next = steps > 0 ? p.maxValue : p.minValue;
        if (next != values[*index])
            set(*index, next);
    } else {
        stepOption(*index, steps, false);
    }
}

void PanelModel::startTyping(Control control)
{
    entry.open(dial(control).value);
    editing = control;
    errorUntil.reset();
    changed(control);
}

void PanelModel::stopTyping()
{
    changed(editing);
    editing = Control::none;
    errorUntil.reset();
}

void PanelModel::commitTyping(double now)
{
    const std::size_t index = *parameterOf(editing);
    try {
        const double parsed = ParseParameterValue(parameter(index), withoutSpaces(entry.text()),
                                                  product.words.optionWords);
        stopTyping();
        set(index, parsed);
    } catch (const ParameterValueError&) {
        errorUntil = now + kErrorSeconds;
        changed(editing);
    }
}

void PanelModel::type(std::string_view text)
{
    if (!typing())
        return;
    errorUntil.reset();
    entry.type(text);
    changed(editing);
}

bool PanelModel::key(EditKey key, double now, bool shift)
{
    if (!typing()) {
        if (!IsDial(focus))
            return false;
        if (key == EditKey::enter)
            startTyping(focus);
        else if (key == EditKey::up || key == EditKey::down)
            wheel({focus, Part::knob}, key == EditKey::up ? 1.0 : -1.0, shift);
        else
            return false;
        return true;
    }
    switch (key) {
    case EditKey::enter: commitTyping(now); break;
    case EditKey::escape: stopTyping(); break;
    case EditKey::backspace:
        errorUntil.reset();
        entry.backspace();
        changed(editing);
        break;
    case EditKey::up:
    case EditKey::down: break;
    }
    return true;
}

void PanelModel::tick(double now)
{
    if (errorUntil && now >= *errorUntil)
        stopTyping();
}

DialFace PanelModel::dial(Control control) const
{
    DialFace face;
    if (!IsDial(control))
        return face;
    const std::size_t index = control == Control::delayTime ? at.time : *parameterOf(control);
    const ParameterInfo& p = parameter(index);
    face.names = p.labels.empty() ? std::vector<std::string>{p.name()} : p.labels;
    face.focused = focus == control;
    if (control == Control::delayTime && followsNote()) {
        const double delay = values[at.tempoDelay];
        face.value = DelayText(delay);
        face.position = DialPosition(p, delay);
        face.note = OptionText(parameter(at.note), option(at.note));
        if (option(at.dottedTriplet) != 0)
            face.note += " " + OptionText(parameter(at.dottedTriplet), option(at.dottedTriplet));
        face.tempo = TempoText(isOn(at.tempoLock) ? values[at.sessionTempo] : values[at.bpm]);
    } else {
        face.value = control == Control::delayTime ? DelayText(values[index])
                                                   : DialValueText(p, values[index]);
        face.position = DialPosition(p, values[index]);
    }
    if (editing == control) {
        face.typing = true;
        face.typingError = errorUntil.has_value();
        face.value = entry.text();
    }
    return face;
}

SwitchFace PanelModel::switchFace(Control control) const
{
    SwitchFace face;
    if (control == Control::presets) {
        face.names = {"Preset"};
        face.text = preset ? product.presets[*preset].label : "Presets";
        return face;
    }
    if (control == Control::tap) {
        face.names = {"Tap"};
        face.on = tapHeld;
        return face;
    }
    const std::optional<std::size_t> index = parameterOf(control);
    if (!index)
        return face;
    const ParameterInfo& p = parameter(*index);
    face.names = p.labels.empty() ? std::vector<std::string>{p.name()} : p.labels;
    if (p.kind == ParameterKind::list) {
        for (std::size_t i = 0; i < p.options.size(); ++i)
            face.options.push_back(OptionText(p, i));
        face.selected = option(*index);
        face.text = OptionText(p, face.selected);
    }
    face.on = isOn(*index);
    return face;
}

DisplayFace PanelModel::display() const
{
    DisplayFace face;
    const bool notes = followsNote();
    face.delay = DelayText(notes ? values[at.tempoDelay] : values[at.time]);
    if (notes) {
        const DialFace time = dial(Control::delayTime);
        face.follows = time.note + " @ " + time.tempo;
    }
    face.session = "Session " + TempoText(values[at.sessionTempo]);
    return face;
}

const std::string& PanelModel::productName() const
{
    return product.description.name;
}

double PanelModel::tapTempo() const
{
    return isOn(at.tempoLock) ? values[at.sessionTempo] : values[at.bpm];
}

bool PanelModel::tapLit(double now) const
{
    const double tempo = tapTempo();
    if (tapHeld)
        return true;
    if (!(tempo > 0.0) || now < tapOrigin)
        return false;
    const double beat = 60.0 / tempo;
    return std::fmod(now - tapOrigin, beat) < std::min(0.08, beat / 4.0);
}

std::bitset<kControlCount> PanelModel::takeChanged()
{
    std::bitset<kControlCount> taken = dirty;
    taken.reset(static_cast<std::size_t>(Control::none));
    dirty.reset();
    return taken;
}
