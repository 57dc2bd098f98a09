#include "clapmodule.h"

#include <filesystem>

#include "host/pluginhost/hosterrors.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#if defined(_WIN32)
void* openLibrary(const std::filesystem::path& path)
{
    return LoadLibraryW(path.c_str());
}
void* symbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void closeLibrary(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}
std::string lastError(const std::filesystem::path&)
{
    return "Windows error " + std::to_string(GetLastError());
}
#else
void* openLibrary(const std::filesystem::path& path)
{
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* symbol(void* library, const char* name)
{
    return dlsym(library, name);
}
void closeLibrary(void* library)
{
    dlclose(library);
}
// The loader's words, without the path it starts them with.
std::string lastError(const std::filesystem::path& path)
{
    const char* text = dlerror();
    if (text == nullptr)
        return "unknown error";
    const std::string message = text;
    const std::string prefix = path.string() + ": ";
    return message.rfind(prefix, 0) == 0 ? message.substr(prefix.size()) : message;
}
#endif

} // namespace

ClapModule::ClapModule(const std::string& file)
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(file, error);
    if (error || !std::filesystem::exists(path, error))
        throw HostInputError(file + ": no such file");
    if (!std::filesystem::is_regular_file(path, error))
        throw HostInputError(file + ": not a CLAP file");
    library = openLibrary(path);
    if (library == nullptr)
        throw HostInputError(file + ": cannot load the CLAP file: " + lastError(path));
    entry = static_cast<const clap_plugin_entry_t*>(symbol(library, "clap_entry"));
    if (entry == nullptr) {
        close();
        throw HostInputError(file + ": not a CLAP plug-in (it has no clap_entry)");
    }
    if (!clap_version_is_compatible(entry->clap_version)) {
        close();
        throw HostInputError(file + ": a CLAP version this host does not know");
    }
    const auto u8 = path.u8string();
    initialised = entry->init(std::string(u8.begin(), u8.end()).c_str());
    if (!initialised) {
        close();
        throw HostInputError(file + ": the plug-in's clap_entry refused init");
    }
    pluginFactory =
        static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (pluginFactory == nullptr) {
        close();
        throw HostInputError(file + ": offers no CLAP plug-in factory");
    }
}

ClapModule::~ClapModule()
{
    close();
}

void ClapModule::close()
{
    if (initialised)
        entry->deinit();
    initialised = false;
    if (library != nullptr)
        closeLibrary(library);
    library = nullptr;
}
