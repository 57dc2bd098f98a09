// Loads the built plug-in library at run time, as a wrapper does, and works
// only through its two exports.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "hux/public/plugin/hux.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

struct LoadedLibrary {
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(TAPEDELAY_PLUGIN_FILE);
    ~LoadedLibrary()
    {
        if (module != nullptr)
            FreeLibrary(module);
    }
    // void (*)() converts to and from any function pointer type.
    template <class Function>
    Function find(const char* symbol) const
    {
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(module, symbol)));
    }
#else
    void* module = dlopen(TAPEDELAY_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL);
    ~LoadedLibrary()
    {
        if (module != nullptr)
            dlclose(module);
    }
    template <class Function>
    Function find(const char* symbol) const
    {
        return reinterpret_cast<Function>(dlsym(module, symbol));
    }
#endif
};

// Each object works through the interface it was asked for.
TEST(PluginLibrary, AcquiresByExactInterfaceName)
{
    const LoadedLibrary library;
    ASSERT_NE(library.module, nullptr) << "cannot load " << TAPEDELAY_PLUGIN_FILE;
    const auto acquire = library.find<void* (*)(const char*, void*)>("HuxAcquire");
    const auto release = library.find<void (*)(void*)>("HuxRelease");
    ASSERT_TRUE(acquire != nullptr && release != nullptr);
    // The very first call is a release: it builds the registry and finds
    // nothing to destroy.
    int context = 0;
    release(&context);

    void* controller = acquire("IIHux::AlgorithmController", &context);
    void* algorithm = acquire("IIHux::Algorithm", &context);
    void* plugin = acquire("IIHux::Plugin", &context);
    ASSERT_TRUE(controller != nullptr && algorithm != nullptr && plugin != nullptr);
    EXPECT_EQ(static_cast<IIHux::AlgorithmController*>(controller)->QueryWord(), 0);
    EXPECT_NE(static_cast<IIHux::AlgorithmController*>(controller)->GetControllerInterface(),
              nullptr);
    EXPECT_EQ(static_cast<IIHux::Algorithm*>(algorithm)->GetProcessCallback().context, algorithm);
    struct Lengths final : ByteSink {
        std::vector<std::size_t> stored;
        void store(const std::uint8_t*, std::size_t count) override { stored.push_back(count); }
    } state;
    EXPECT_EQ(static_cast<IIHux::Plugin*>(plugin)->saveState(state, false).code, 0);
    EXPECT_EQ(state.stored, std::vector<std::size_t>{0}); // the saved state is an empty message
    for (void* object : {plugin, algorithm, controller})
        release(object);

    for (const char* name : {"IIHux::plugin", "IIHux::Plugin ", "Plugin", "IIHux::", "",
                             "IIHux::AlgorithmControllers", "IIVX9Controller"})
        EXPECT_EQ(acquire(name, nullptr), nullptr) << '"' << name << '"';
}

} // namespace
