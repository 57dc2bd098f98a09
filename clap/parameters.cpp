#include "parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "host/effect/adapterparameters.h"
#include "host/product/controlscale.h"
#include "host/runtime/values/parametervalue.h"

namespace {

void CopyName(const std::string& name, char (&to)[CLAP_NAME_SIZE])
{
    std::snprintf(to, sizeof to, "%s", name.c_str());
}

clap_param_info_flags FlagsOf(const ProductLibrary& product, std::size_t index)
{
    const ParameterInfo& parameter = product.description.parameters[index];
    if (product.shown(index))
        return CLAP_PARAM_IS_READONLY;
    clap_param_info_flags flags = parameter.automate ? CLAP_PARAM_IS_AUTOMATABLE : 0;
    if (parameter.kind == ParameterKind::list)
        flags |= CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM;
    if (parameter.hostBypass)
        flags |= CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_BYPASS;
    return flags;
}

ClapParameter Adapter(clap_id id, const char* name, ClapParameter::Role role, std::size_t index,
                      clap_param_info_flags flags)
{
    ClapParameter parameter;
    parameter.info.id = id;
    parameter.info.flags = flags;
    CopyName(name, parameter.info.name);
    parameter.info.min_value = 0.0;
    parameter.info.max_value = 1.0;
    parameter.info.default_value = 0.0;
    parameter.role = role;
    parameter.index = index;
    return parameter;
}

// The Tap control's text: "Down" or "Up" (any case), or a number.
double TapValue(std::string_view text)
{
    if (SameIgnoringCase(text, "Down"))
        return 1.0;
    if (SameIgnoringCase(text, "Up"))
        return 0.0;
    return std::clamp(ParseNumber(text, "Tap"), 0.0, 1.0);
}

} // namespace

ClapParameters::ClapParameters(const ProductLibrary& product) : product(product)
{
    const std::vector<ParameterInfo>& own = product.description.parameters;
    for (std::size_t i = 0; i < own.size(); ++i) {
        ClapParameter parameter;
        parameter.info.id = own[i].identifier;
        parameter.info.flags = FlagsOf(product, i);
        CopyName(own[i].name(), parameter.info.name);
        parameter.info.min_value = own[i].minValue;
        parameter.info.max_value = own[i].maxValue;
        parameter.info.default_value = own[i].defaultValue;
        parameter.index = i;
        parameters.push_back(parameter);
    }
    parameters.push_back(Adapter(kTapParameter, "Tap", ClapParameter::Role::tap, 0,
                                 CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED));
    for (std::size_t m = 0; m < 2; ++m)
        parameters.push_back(Adapter(kMeterParameters[m], kMeterNames[m],
                                     ClapParameter::Role::meter, m, CLAP_PARAM_IS_READONLY));
}

const ClapParameter* ClapParameters::at(std::uint32_t index) const
{
    return index < parameters.size() ? &parameters[index] : nullptr;
}

const ClapParameter* ClapParameters::find(clap_id id) const
{
    for (const ClapParameter& parameter : parameters)
        if (parameter.info.id == id)
            return &parameter;
    return nullptr;
}

const ClapParameter& ClapParameters::meter(std::size_t which) const
{
    return parameters[parameters.size() - 2 + which];
}

bool ClapParameters::valueToText(clap_id id, double value, char* text, std::uint32_t capacity) const
{
    const ClapParameter* parameter = find(id);
    if (parameter == nullptr || text == nullptr || capacity == 0 || std::isnan(value))
        return false;
    std::string shown;
    if (parameter->role == ClapParameter::Role::tap) {
        shown = value > 0.5 ? "Down" : "Up";
    } else if (parameter->role == ClapParameter::Role::meter) {
        char decibels[32] = "-inf dBFS";
        if (value > 0.0)
            std::snprintf(decibels, sizeof decibels, "%.1f dBFS", 20.0 * std::log10(value));
        shown = decibels;
    } else {
        const ParameterInfo& info = product.description.parameters[parameter->index];
        if (product.shown(parameter->index)) {
            shown = ParameterValueText(info, value);
            if (const std::string units = ShownUnits(product.description, info); !units.empty())
                shown += " " + units;
        } else {
            shown = FormatParameterValue(info, value);
        }
    }
    std::snprintf(text, capacity, "%s", shown.c_str());
    return true;
}

bool ClapParameters::textToValue(clap_id id, const char* text, double* value) const
{
    const ClapParameter* parameter = find(id);
    if (parameter == nullptr || text == nullptr || value == nullptr)
        return false;
    try {
        switch (parameter->role) {
        case ClapParameter::Role::tap: *value = TapValue(text); return true;
        case ClapParameter::Role::meter: return false;
        case ClapParameter::Role::plugin:
            if (product.shown(parameter->index))
                return false;
            *value = ParseParameterValue(product.description.parameters[parameter->index], text,
                                         product.words.optionWords);
            return true;
        }
    } catch (const ParameterValueError&) {
    }
    return false;
}
