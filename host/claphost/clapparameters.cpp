#include "clapparameters.h"

#include "host/pluginhost/parametertext.h"

ParameterSetting ResolveClapSetting(const ClapInstance& instance, const ParameterText& setting)
{
    clap_param_info_t info{};
    std::uint32_t index = 0;
    while (instance.info(index, info) && !NamesParameter(setting.id, info.id, info.name))
        ++index;
    if (!instance.info(index, info))
        throw HostInputError(setting.given + ": the plug-in has no parameter '" + setting.id + "'");
    if ((info.flags & CLAP_PARAM_IS_READONLY) != 0)
        throw HostInputError(setting.given + ": " + setting.id +
                             " is read-only (the plug-in sets it)");

    const clap_plugin_t& plugin = instance.plugin();
    double value = 0.0;
    if (!instance.params().text_to_value(&plugin, info.id, setting.value.c_str(), &value) &&
        !PlainNumber(setting.value, value))
        throw HostInputError(setting.given + ": '" + setting.value + "' is not a value of " +
                             setting.id);
    if (!(value >= info.min_value && value <= info.max_value))
        throw HostInputError(setting.given + ": " + setting.value + " is outside " + setting.id +
                             "'s range");
    return {info.id, static_cast<std::int32_t>(index), value};
}

std::vector<std::string> ClapValueLines(const ClapInstance& instance)
{
    std::vector<std::string> lines;
    const clap_plugin_t& plugin = instance.plugin();
    clap_param_info_t info{};
    for (std::uint32_t i = 0; instance.info(i, info); ++i) {
        double value = 0.0;
        if ((info.flags & CLAP_PARAM_IS_READONLY) != 0 ||
            !instance.params().get_value(&plugin, info.id, &value))
            continue;
        char shown[256] = {};
        if (!instance.params().value_to_text(&plugin, info.id, value, shown, sizeof shown))
            shown[0] = '\0';
        shown[sizeof shown - 1] = '\0';
        lines.push_back(ValueLine(info.id, info.name, shown, value));
    }
    return lines;
}
