#include "loadedproduct.h"

#include <exception>
#include <filesystem>

#include "editorglue/editorfont.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

LoadedProduct::LoadedProduct(const std::string& libraryPath)
    : ProductLibrary(libraryPath),
      fontPath(EditorFontBeside(libraryPath))
{
    for (const ParameterInfo& parameter : description.parameters)
        scales.emplace_back(parameter);
}

std::size_t LoadedProduct::presetIndex(double normalised) const
{
    const auto count = static_cast<std::uint32_t>(presets.size());
    return count < 2 ? 0
                     : static_cast<std::size_t>(ParameterScale::Steps(count).toPlain(normalised));
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
