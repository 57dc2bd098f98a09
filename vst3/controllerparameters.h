// The edit controller's parameters: one per host parameter of the plug-in,
// in host order (ID its four-character code, title its name, its units, a
// list stepped with its options' first forms as step texts, the bypass
// flagged as the host's, the values the plug-in writes for display
// read-only), then the Tap button, and the two meters, read-only. Texts in
// and out are the command line's: "300ms" or "8th" in, "0.3" or "8th" out
// (the host shows the units beside a number).
#pragma once

#include <cstddef>

#include "loadedproduct.h"
#include "public.sdk/source/vst/vstparameters.h"

// A host parameter of the plug-in, mapped by its ParameterScale.
class EffectParameter : public Steinberg::Vst::Parameter {
public:
    // [main] allocates.
    EffectParameter(const LoadedProduct& product, std::size_t index);

    void toString(Steinberg::Vst::ParamValue normalised,
                  Steinberg::Vst::String128 text) const override;
    bool fromString(const Steinberg::Vst::TChar* text,
                    Steinberg::Vst::ParamValue& normalised) const override;
    Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue normalised) const override;
    Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plain) const override;

private:
    const LoadedProduct& product;
    std::size_t index;
};

// A peak meter: normalised is the linear peak, full at 0 dBFS; its text is
// in dBFS.
class MeterParameter : public Steinberg::Vst::Parameter {
public:
    MeterParameter(const char* title, Steinberg::Vst::ParamID id);
    void toString(Steinberg::Vst::ParamValue normalised,
                  Steinberg::Vst::String128 text) const override;
};

// [main] allocates: every parameter above added to the container.
void AddParameters(const LoadedProduct& product, Steinberg::Vst::ParameterContainer& parameters);
