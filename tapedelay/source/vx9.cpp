// The plug-in's live behaviour: the handlers bound to the host parameters,
// tempo sync and the tap-tempo message. A parameter the host does not offer
// is null here; every step that needs one is skipped and its value reads 0.
#include "vx9.h"

#include <algorithm>

#include "missive/source/serialization/missivedump.h"
#include "tapedelay/source/kernel/vx9simd.h"

namespace {

double valueOf(const HuxParameter* parameter)
{
    return parameter != nullptr ? parameter->value() : 0.0;
}

std::int32_t indexOf(const HuxParameter* parameter)
{
    return VX9Math::TruncInt32(valueOf(parameter));
}

void setIfPresent(HuxParameter* parameter, double value)
{
    if (parameter != nullptr)
        parameter->setValue(value);
}

// The linked parameter at position, null when the binding has fewer.
HuxParameter* linkedAt(std::span<HuxParameter* const> linked, std::size_t position)
{
    return position < linked.size() ? linked[position] : nullptr;
}

// The length of note index n given a quarter note of q seconds (a half
// note is q + q; an index without a note counts as a quarter).
double noteLength(double q, std::int32_t n)
{
    switch (n) {
    case 1: return q * 0.125;
    case 2: return q * 0.25;
    case 3: return q * 0.5;
    case 5: return q + q;
    case 6: return q * 4.0;
    default: return q;
    }
}

// What turns the length of note index n into a quarter note's.
double quarterNoteFactor(std::int32_t n)
{
    switch (n) {
    case 1: return 8.0;
    case 2: return 4.0;
    case 3: return 2.0;
    case 5: return 0.5;
    case 6: return 0.25;
    default: return 1.0;
    }
}

constexpr std::int32_t kEighthNote = 3;
constexpr double kDotted = 1.5;
constexpr double kTriplet = 0.6666666666666666;
constexpr double kLongestTempoDelay = 2.0;
constexpr double kTapGlideWindow = 1.5; // seconds after a tap that glide slowly

} // namespace

void VX9::bindParameters()
{
    controller->setDelayTime(0.5);
    controller->setFeedback(9.0);
    controller->setInput(4.5);
    controller->setOutput(4.5);
    controller->setBlend(9.0);
    controller->setTone(1);
    controller->setMode(0);

    addBinding(HuxFourCC("bypa"), &bypassHandler);
    addBinding(HuxFourCC("time"), &delayTimeHandler);
    addBinding(HuxFourCC("inpt"), &dialHandler<&IIVX9Controller::setInput>);
    addBinding(HuxFourCC("oput"), &dialHandler<&IIVX9Controller::setOutput>);
    addBinding(HuxFourCC("blnd"), &dialHandler<&IIVX9Controller::setBlend>);
    addBinding(HuxFourCC("fbak"), &dialHandler<&IIVX9Controller::setFeedback>);
    addBinding(HuxFourCC("tone"), &optionHandler<&IIVX9Controller::setTone>);
    addBinding(HuxFourCC("mode"), &optionHandler<&IIVX9Controller::setMode>);
    addBinding(HuxFourCC(".bpm"), &bpmHandler);

    addBinding(HuxFourCC("dot3"), &dotTripletHandler, {HuxFourCC("nval")});
    addBinding(HuxFourCC("tlok"), &tempoLockHandler, {HuxFourCC("nval"), HuxFourCC("dot3")});
    addBinding(HuxFourCC("nval"), &noteValueHandler,
               {HuxFourCC("tlok"), HuxFourCC("dot3"), HuxFourCC("time")});

    addMessageHandler("BPMTapped", &bpmTapped);

    tempoLock = parameterHost->lookup(HuxFourCC("tlok"), nullptr);
    bpm = parameterHost->lookup(HuxFourCC(".bpm"), nullptr);
    noteValue = parameterHost->lookup(HuxFourCC("nval"), nullptr);
    dotTriplet = parameterHost->lookup(HuxFourCC("dot3"), nullptr);
    sessionBpm = parameterHost->lookup(HuxFourCC("sBPM"), nullptr);
    bpmDelayTime = parameterHost->lookup(HuxFourCC("uiDT"), nullptr);

    rememberedNote = indexOf(noteValue);
    dotTripletIndex = indexOf(dotTriplet);
    if (rememberedNote == 0)
        rememberedNote = kEighthNote;
    previousNote = rememberedNote;
}

void VX9::bypassChanged(HuxParameter& parameter)
{
    controller->setBypassed(parameter.value() != 0.0);
}

void VX9::query(double tempo, double, double)
{
    if (valueOf(tempoLock) != 0.0)
        applyTempo(tempo);
    sessionTempo = static_cast<float>(tempo);
    setIfPresent(sessionBpm, tempo);
}

void VX9::update()
{
    // Written as "not equal" so that a NaN counts as a change.
    if (!(tempoDelayTime == shownTempoDelayTime)) {
        setIfPresent(bpmDelayTime, static_cast<double>(tempoDelayTime));
        shownTempoDelayTime = tempoDelayTime;
    }
}

void VX9::dump(const Missive& message, std::uint8_t enable)
{
    ::dump(message, enable);
}

void VX9::applyDelayTime(double seconds)
{
    const bool slow =
        valueOf(tempoLock) != 0.0 || lastTapTime > parameterHost->now() - kTapGlideWindow;
    controller->setTimeGlide(slow);
    controller->setDelayTime(seconds);
}

void VX9::applyTempo(double tempo)
{
    const std::int32_t n = indexOf(noteValue);
    double t = 0.0;
    if (n != 0 && tempo > 0.0) {
        t = noteLength(60.0 / tempo, n);
        const std::int32_t d = indexOf(dotTriplet);
        if (d == 1)
            t = t * kDotted;
        else if (d == 2)
            t = t * kTriplet;
        t = std::min(t, kLongestTempoDelay);
    }
    tempoDelayTime = static_cast<float>(t);
    applyDelayTime(static_cast<double>(tempoDelayTime));
}

void VX9::refreshTempoDelay()
{
    if (valueOf(noteValue) == 0.0)
        return;
    applyTempo(valueOf(tempoLock) == 0.0 ? valueOf(bpm) : static_cast<double>(sessionTempo));
}

template <void (IIVX9Controller::*Operation)(double)>
void VX9::dialHandler(VX9& plugin, HuxParameter& parameter, Linked)
{
    (plugin.controller->*Operation)(parameter.value());
}

template <void (IIVX9Controller::*Operation)(std::uint32_t)>
void VX9::optionHandler(VX9& plugin, HuxParameter& parameter, Linked)
{
    // The controller clamps the index; a negative one arrives as a huge one.
    const std::int32_t index = indexOf(&parameter);
    (plugin.controller->*Operation)(static_cast<std::uint32_t>(index));
}

void VX9::delayTimeHandler(VX9& plugin, HuxParameter& parameter, Linked)
{
    // With a note value selected the tempo decides the delay.
    if (valueOf(plugin.noteValue) == 0.0)
        plugin.applyDelayTime(parameter.value());
}

void VX9::bpmHandler(VX9& plugin, HuxParameter&, Linked)
{
    plugin.refreshTempoDelay();
}

void VX9::noteValueHandler(VX9& plugin, HuxParameter& parameter, Linked linked)
{
    HuxParameter* lock = linkedAt(linked, 0);
    HuxParameter* dotted = linkedAt(linked, 1);
    HuxParameter* delayTime = linkedAt(linked, 2);
    const std::int32_t n = indexOf(&parameter);
    if (n != 0) {
        if (delayTime != nullptr && plugin.previousNote == 0) {
            // From free time to a note value: choose the BPM at which the
            // note reproduces the delay the user had.
            double t = delayTime->value();
            if (plugin.dotTripletIndex == 1)
                t = t / kDotted;
            else if (plugin.dotTripletIndex == 2)
                t = t / kTriplet;
            t = t * quarterNoteFactor(n);
            setIfPresent(plugin.bpm, 60.0 / t);
        }
        plugin.refreshTempoDelay();
        plugin.rememberedNote = n;
    } else {
        // No note value: tempo time ends where the tempo put the delay.
        if (dotted != nullptr)
            plugin.dotTripletIndex = indexOf(dotted);
        if (lock != nullptr && dotted != nullptr) {
            lock->setValue(0.0);
            dotted->setValue(0.0);
        }
        setIfPresent(delayTime, static_cast<double>(plugin.tempoDelayTime));
    }
    plugin.previousNote = n;
}

void VX9::dotTripletHandler(VX9& plugin, HuxParameter& parameter, Linked linked)
{
    HuxParameter* note = linkedAt(linked, 0);
    const std::int32_t d = indexOf(&parameter);
    if (note != nullptr) {
        plugin.dotTripletIndex = d;
        if (d != 0 && note->value() == 0.0 && plugin.rememberedNote != 0)
            note->setValue(plugin.rememberedNote);
    }
    plugin.refreshTempoDelay();
}

void VX9::tempoLockHandler(VX9& plugin, HuxParameter& parameter, Linked linked)
{
    HuxParameter* note = linkedAt(linked, 0);
    HuxParameter* dotted = linkedAt(linked, 1);
    if (parameter.value() != 0.0 && note != nullptr && dotted != nullptr && note->value() == 0.0 &&
        plugin.rememberedNote != 0)
        note->setValue(plugin.rememberedNote);
}

void VX9::bpmTapped(VX9& plugin, const Missive& message)
{
    plugin.lastTapTime = plugin.parameterHost->now();
    // Any numeric type (or numeric text) reads as a double; absent gives 0.0.
    const double tapped = read<double>(message.find("bpm"));
    if (plugin.rememberedNote == 0)
        plugin.rememberedNote = kEighthNote;
    if (valueOf(plugin.noteValue) == 0.0)
        setIfPresent(plugin.noteValue, plugin.rememberedNote);
    if (valueOf(plugin.tempoLock) != 0.0)
        plugin.tempoLock->setValue(0.0);
    setIfPresent(plugin.bpm, tapped);
}
