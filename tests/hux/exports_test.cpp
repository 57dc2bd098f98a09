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

using AcquireFunction = void* (*)(const char*, void*);
using ReleaseFunction = void (*)(void*);

class PluginLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
#if defined(_WIN32)
        module = LoadLibraryA(TAPEDELAY_PLUGIN_FILE);
        ASSERT_NE(module, nullptr) << "cannot load " << TAPEDELAY_PLUGIN_FILE;
#else
        module = dlopen(TAPEDELAY_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << dlerror();
#endif
        acquire = find<AcquireFunction>("HuxAcquire");
        release = find<ReleaseFunction>("HuxRelease");
        ASSERT_NE(acquire, nullptr);
        ASSERT_NE(release, nullptr);
        // The very first call into the library is a release: it builds the
        // registry and finds nothing to destroy.
        int foreign = 0;
        release(&foreign);
    }

    static void TearDownTestSuite()
    {
#if defined(_WIN32)
        FreeLibrary(module);
#else
        dlclose(module);
#endif
    }

    template <class Function>
    static Function find(const char* symbol)
    {
#if defined(_WIN32)
        // void (*)() converts to and from any function pointer type.
        return reinterpret_cast<Function>(
            reinterpret_cast<void (*)()>(GetProcAddress(module, symbol)));
#else
        return reinterpret_cast<Function>(dlsym(module, symbol));
#endif
    }

#if defined(_WIN32)
    static inline HMODULE module = nullptr;
#else
    static inline void* module = nullptr;
#endif
    static inline AcquireFunction acquire = nullptr;
    static inline ReleaseFunction release = nullptr;
};

// Each object works through the interface it was asked for.
TEST_F(PluginLibrary, AcquiresByExactInterfaceName)
{
    int context = 0;
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

TEST_F(PluginLibrary, IndependentInstancesAndHarmlessReleases)
{
    void* first = acquire("IIHux::Algorithm", nullptr);
    void* second = acquire("IIHux::Algorithm", nullptr);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    EXPECT_NE(first, second);

    release(first);
    release(first);   // a second release does nothing
    release(nullptr); // nor does null
    int foreign = 0;
    release(&foreign);

    // The other instance is still alive and usable.
    EXPECT_EQ(static_cast<IIHux::Algorithm*>(second)->Setup(HuxSetup{0.0, 48000.0f}).code, 0);
    release(second);
}

} // namespace
