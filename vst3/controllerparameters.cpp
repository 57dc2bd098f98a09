#include "controllerparameters.h"

#include <cmath>
#include <cstdio>

#include "classids.h"
#include "host/product/controlscale.h"
#include "host/runtime/values/parametervalue.h"
#include "text16.h"

using namespace Steinberg;

EffectParameter::EffectParameter(const LoadedProduct& product, std::size_t index)
    : product(product),
      index(index)
{
    const ParameterInfo& parameter = product.description.parameters[index];
    const ParameterScale& scale = product.scales[index];
    info.id = parameter.identifier;
    CopyText(parameter.name(), info.title);
    CopyText(parameter.labels.empty() ? parameter.code : parameter.labels.back(), info.shortTitle);
    CopyText(ShownUnits(product.description, parameter), info.units);
    info.stepCount = scale.stepCount();
    info.defaultNormalizedValue = scale.toNormalised(parameter.defaultValue);
    info.unitId = Vst::kRootUnitId;
    if (product.shown(index)) {
        info.flags = Vst::ParameterInfo::kIsReadOnly;
    } else {
        info.flags = parameter.automate ? Vst::ParameterInfo::kCanAutomate : 0;
        if (parameter.kind == ParameterKind::list)
            info.flags |= Vst::ParameterInfo::kIsList;
        if (parameter.hostBypass)
            info.flags |= Vst::ParameterInfo::kIsBypass;
    }
    valueNormalized = info.defaultNormalizedValue;
}

void EffectParameter::toString(Vst::ParamValue normalised, Vst::String128 text) const
{
    // The unit is the host's to show, from info.units.
    CopyText(ParameterValueText(product.description.parameters[index], toPlain(normalised)), text,
             128);
}

bool EffectParameter::fromString(const Vst::TChar* text, Vst::ParamValue& normalised) const
{
    try {
        normalised = toNormalized(ParseParameterValue(product.description.parameters[index],
                                                      Utf8Text(text), product.words.optionWords));
        return true;
    } catch (const ParameterValueError&) {
        return false;
    }
}

Vst::ParamValue EffectParameter::toPlain(Vst::ParamValue normalised) const
{
    return product.scales[index].toPlain(normalised);
}

Vst::ParamValue EffectParameter::toNormalized(Vst::ParamValue plain) const
{
    return product.scales[index].toNormalised(plain);
}

MeterParameter::MeterParameter(const char* title, Vst::ParamID id)
{
    info.id = id;
    CopyText(title, info.title);
    CopyText(title, info.shortTitle);
    CopyText("dBFS", info.units);
    info.flags = Vst::ParameterInfo::kIsReadOnly;
    info.unitId = Vst::kRootUnitId;
}

void MeterParameter::toString(Vst::ParamValue normalised, Vst::String128 text) const
{
    char decibels[32] = "-inf";
    if (normalised > 0.0)
        std::snprintf(decibels, sizeof decibels, "%.1f", 20.0 * std::log10(normalised));
    CopyText(decibels, text, 128);
}

void AddParameters(const LoadedProduct& product, Vst::ParameterContainer& parameters)
{
    for (std::size_t i = 0; i < product.description.parameters.size(); ++i)
        parameters.addParameter(new EffectParameter(product, i));
    // Automatable, as hosts such as Ardour list no other parameter as a
    // control a user can press.
    parameters.addParameter(STR16("Tap"), nullptr, 1, 0.0, Vst::ParameterInfo::kCanAutomate,
                            kTapParameter, Vst::kRootUnitId, STR16("Tap"));
    parameters.addParameter(new MeterParameter(kMeterNames[0], kMeterParameters[0]));
    parameters.addParameter(new MeterParameter(kMeterNames[1], kMeterParameters[1]));
}
