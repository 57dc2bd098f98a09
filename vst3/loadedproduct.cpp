#include "loadedproduct.h"

#include <exception>
#include <filesystem>

#include "host/product/parametercodes.h"
#include "host/product/parameternames.h"
#include "host/product/presets.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

LoadedProduct::LoadedProduct(const std::string& libraryPath)
    : library(libraryPath),
      description(DescribeLibrary(library)),
      words(TapeDelayWords(description))
{
    for (const ParameterInfo& parameter : description.parameters)
        scales.emplace_back(parameter);
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

bool LoadedProduct::shown(std::size_t index) const
{
    const std::string& code = description.parameters[index].code;
    return code == kShownSessionTempo || code == kShownTempoDelay;
}

std::size_t LoadedProduct::presetIndex(double normalised) const
{
    const auto count = static_cast<std::uint32_t>(presets.size());
    return count < 2 ? 0
                     : static_cast<std::size_t>(ParameterScale::Steps(count).toPlain(normalised));
}

std::size_t LoadedProduct::indexOf(std::uint32_t id) const
{
    std::size_t i = 0;
    while (i < description.parameters.size() && description.parameters[i].identifier != id)
        ++i;
    return i;
}

std::string ModuleFile()
{
#if defined(_WIN32)
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&ModuleFile), &self))
        return {};
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(self, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return {};
    buffer.resize(length);
    try {
        return std::filesystem::path(buffer).string();
    } catch (const std::exception&) { // not in the system's code page
        return {};
    }
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleFile), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return info.dli_fname;
#endif
}

std::string BundledLibraryPath()
{
    const std::string module = ModuleFile();
    if (module.empty())
        return {};
    return (std::filesystem::path(module).parent_path() / PluginLibrary::fileName()).string();
}
