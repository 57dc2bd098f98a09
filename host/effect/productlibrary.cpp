#include "productlibrary.h"

#include "host/product/parametercodes.h"
#include "host/product/parameternames.h"
#include "host/product/presets.h"

ProductLibrary::ProductLibrary(const std::string& libraryPath)
    : library(libraryPath),
      description(DescribeLibrary(library)),
      words(TapeDelayWords(description))
{
    for (const Preset& preset : Presets()) {
        PresetChanges entry{preset.label, {}};
        const std::vector<std::pair<std::size_t, double>> values =
            PresetValues(preset, description);
        for (std::uint32_t i = 0; i < description.parameters.size(); ++i) {
            const ParameterInfo& parameter = description.parameters[i];
            if (shown(i) || parameter.hostBypass)
                continue;
            double value = parameter.defaultValue;
            for (const auto& [index, presetValue] : values)
                if (index == i)
                    value = presetValue;
            entry.changes.emplace_back(i, value);
        }
        presets.push_back(std::move(entry));
    }
}

bool ProductLibrary::shown(std::size_t index) const
{
    const std::string& code = description.parameters[index].code;
    return code == kShownSessionTempo || code == kShownTempoDelay;
}

std::size_t ProductLibrary::indexOf(std::uint32_t identifier) const
{
    std::size_t i = 0;
    while (i < description.parameters.size() && description.parameters[i].identifier != identifier)
        ++i;
    return i;
}
