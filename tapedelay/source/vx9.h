// The tape delay's plug-in object: who it is, which parameters and meters it
// offers, and how parameter changes reach the controller. The delay follows
// either Delay Time or a tempo (typed, tapped or the session's) through a
// note value. Parameter/message thread only; nothing here locks.
#pragma once

#include <cstdint>
#include <span>

#include "hux/public/plugin/hux.h"

// Where the plug-in's raises point.
inline constexpr const char* kVX9Source = "tapedelay/source/vx9";
inline constexpr std::uint32_t kVX9TooManyChannelsLine = 79;

struct VX9 final : HuxPlugin<VX9, IIVX9Controller> {
    Missive describePlugin() override;
    void describeParameters(ParameterAndMeterSink& sink, std::uint32_t& channelCount) override;
    void bindParameters() override;
    void bypassChanged(HuxParameter& parameter) override;
    void query(double sessionTempo, double, double) override;
    void update() override;

    // Prints the message's diagnostic dump to standard output when enable is 1.
    virtual void dump(const Missive& message, std::uint8_t enable);

private:
    using Linked = std::span<HuxParameter* const>;

    void applyDelayTime(double seconds);
    void applyTempo(double bpm);
    void refreshTempoDelay();

    template <void (IIVX9Controller::*Operation)(double)>
    static void dialHandler(VX9& plugin, HuxParameter& parameter, Linked);
    template <void (IIVX9Controller::*Operation)(std::uint32_t)>
    static void optionHandler(VX9& plugin, HuxParameter& parameter, Linked);
    static void delayTimeHandler(VX9& plugin, HuxParameter& parameter, Linked);
    static void bpmHandler(VX9& plugin, HuxParameter& parameter, Linked);
    static void noteValueHandler(VX9& plugin, HuxParameter& parameter, Linked linked);
    static void dotTripletHandler(VX9& plugin, HuxParameter& parameter, Linked linked);
    static void tempoLockHandler(VX9& plugin, HuxParameter& parameter, Linked linked);
    static void bpmTapped(VX9& plugin, const Missive& message);

    // The host's objects, null where the host offers no such parameter.
    HuxParameter* tempoLock = nullptr;    // "tlok"
    HuxParameter* bpm = nullptr;          // ".bpm"
    HuxParameter* noteValue = nullptr;    // "nval"
    HuxParameter* dotTriplet = nullptr;   // "dot3"
    HuxParameter* sessionBpm = nullptr;   // "sBPM"
    HuxParameter* bpmDelayTime = nullptr; // "uiDT"
    std::int32_t rememberedNote = 0;      // the last non-zero Note Value index
    std::int32_t previousNote = 0;        // the index seen by the last Note Value change
    std::int32_t dotTripletIndex = 0;     // the last Dotted/Triplet index seen
    double lastTapTime = -10.0;           // host time of the last tap, seconds
    float tempoDelayTime = 0.0f;          // the last tempo-derived delay, seconds
    float shownTempoDelayTime = 0.0f;     // the last value written into "uiDT"
    float sessionTempo = 0.0f;            // the last session tempo, BPM
};
