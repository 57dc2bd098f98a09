#include "parametername.h"

#include <algorithm>
#include <string>

#include "parametervalue.h"

namespace {

// "fbak Feedback", or the identifier alone for a parameter without a label.
std::string identified(const ParameterInfo& parameter)
{
    return parameter.labels.empty() ? parameter.code : parameter.code + " " + parameter.name();
}

bool hasName(const ParameterInfo& parameter, std::string_view name)
{
    return SameIgnoringCase(parameter.code, name) ||
           std::any_of(parameter.labels.begin(), parameter.labels.end(),
                       [&](const std::string& label) { return SameIgnoringCase(label, name); });
}

} // namespace

NamedParameter FindNamedParameter(const PluginDescription& description, std::string_view name,
                                  const std::vector<ParameterAlias>& aliases)
{
    if (const std::optional<std::size_t> index = description.find(name))
        return {*index, false};
    std::vector<NamedParameter> found;
    const auto add = [&](NamedParameter parameter) {
        if (std::find(found.begin(), found.end(), parameter) == found.end())
            found.push_back(parameter);
    };
    for (std::size_t i = 0; i < description.parameters.size(); ++i)
        if (hasName(description.parameters[i], name))
            add({i, false});
    for (const ParameterAlias& alias : aliases)
        if (const std::optional<std::size_t> index = description.find(alias.code);
            index && SameIgnoringCase(alias.name, name))
            add({*index, alias.inverted});
    if (found.size() == 1)
        return found.front();

    const std::string quoted = "\"" + std::string(name) + "\"";
    std::string list;
    if (found.empty()) {
        for (const ParameterInfo& parameter : description.parameters)
            if (parameter.automate)
                list += (list.empty() ? "" : ", ") + identified(parameter);
        throw ParameterValueError("unknown parameter " + quoted + " (the parameters are " + list +
                                  ")");
    }
    for (const NamedParameter& parameter : found)
        list += (list.empty() ? "" : " or ") + identified(description.parameters[parameter.index]);
    throw ParameterValueError("the parameter " + quoted + " could be " + list +
                              "; give its identifier");
}
