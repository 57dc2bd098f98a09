#include "pluginlibrary.h"

#include <filesystem>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#if defined(_WIN32)
constexpr const char* kLibraryFileName = "tapedelay.dll";

// The system's words for the last error, e.g. "The specified module could
// not be found."
std::string lastError(const std::string&)
{
    const DWORD code = GetLastError();
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        text[--length] = '\0';
    return length > 0 ? std::string(text) : "Windows error " + std::to_string(code);
}
#else
constexpr const char* kLibraryFileName = "libtapedelay.so";

// The loader's words, without the path it starts them with.
std::string lastError(const std::string& path)
{
    const char* text = dlerror();
    if (text == nullptr)
        return "unknown error";
    const std::string message = text;
    const std::string prefix = path + ": ";
    return message.rfind(prefix, 0) == 0 ? message.substr(prefix.size()) : message;
}
#endif

} // namespace

PluginLibrary::PluginLibrary(const std::string& path) : libraryPath(path)
{
#if defined(_WIN32)
    module = LoadLibraryW(std::filesystem::path(path).c_str());
#else
    module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
    if (module == nullptr)
        throw PluginLoadError("cannot load the plug-in library " + path + ": " + lastError(path));

#if defined(_WIN32)
    // void (*)() converts to and from any function pointer type.
    const auto symbol = [this](const char* name) {
        return reinterpret_cast<void (*)()>(GetProcAddress(static_cast<HMODULE>(module), name));
    };
#else
    const auto symbol = [this](const char* name) {
        return reinterpret_cast<void (*)()>(dlsym(module, name));
    };
#endif
    acquireFunction = reinterpret_cast<AcquireFunction>(symbol("HuxAcquire"));
    releaseFunction = reinterpret_cast<ReleaseFunction>(symbol("HuxRelease"));
    if (acquireFunction == nullptr || releaseFunction == nullptr) {
        unload();
        throw PluginLoadError(path +
                              " is not a plug-in library (it lacks HuxAcquire or HuxRelease)");
    }
}

PluginLibrary::~PluginLibrary()
{
    unload();
}

void PluginLibrary::unload()
{
    if (module == nullptr)
        return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(module));
#else
    dlclose(module);
#endif
    module = nullptr;
}

void* PluginLibrary::acquire(const char* interfaceName)
{
    void* object = acquireFunction(interfaceName, nullptr);
    if (object == nullptr)
        throw PluginLoadError(libraryPath + " offers no object named " + interfaceName);
    return object;
}

void PluginLibrary::release(void* object)
{
    releaseFunction(object);
}

const char* PluginLibrary::fileName()
{
    return kLibraryFileName;
}

std::string PluginLibrary::besideExecutable()
{
    std::filesystem::path program;
#if defined(_WIN32)
    std::vector<wchar_t> buffer(32768);
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length > 0 && length < buffer.size())
        program.assign(buffer.data(), buffer.data() + length);
#else
    std::error_code error;
    program = std::filesystem::read_symlink("/proc/self/exe", error);
#endif
    return (program.parent_path() / kLibraryFileName).string();
}
