// Loads the built plug-in library at run time, as a wrapper does, and works
// only through its two exports.
#include <gtest/gtest.h>

#include <cstdint>

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

    template <class Function = void (*)()>
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

TEST_F(PluginLibrary, ExportsNothingButTheTwoFunctions)
{
    EXPECT_EQ(find("HuxLibrary"), nullptr);
    EXPECT_EQ(find("_Z10HuxLibraryv"), nullptr);
    EXPECT_EQ(find("huxacquire"), nullptr);
}

TEST_F(PluginLibrary, AcquiresByExactInterfaceName)
{
    int context = 0;
    for (const char* name : {"IIHux::Plugin", "IIHux::Algorithm", "IIHux::AlgorithmController"}) {
        void* object = acquire(name, &context);
        EXPECT_NE(object, nullptr) << name;
        release(object);
    }
    for (const char* name : {"IIHux::plugin", "IIHux::Plugin ", "Plugin", "IIHux::", "",
                             "IIHux::AlgorithmControllers", "IIVX9Controller"}) {
        EXPECT_EQ(acquire(name, nullptr), nullptr) << '"' << name << '"';
    }
}

TEST_F(PluginLibrary, IndependentInstancesAndHarmlessReleases)
{
    void* first = acquire("IIHux::Algorithm", nullptr);
    void* second = acquire("IIHux::Algorithm", nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);

    release(first);
    release(first);   // a second release does nothing
    release(nullptr); // nor does null
    int foreign = 0;
    release(&foreign);

    // The other instance is still alive and usable.
    auto* algorithm = static_cast<IIHux::Algorithm*>(second);
    const HuxProcessCallback callback = algorithm->GetProcessCallback();
    EXPECT_EQ(callback.context, second);
    EXPECT_NE(callback.function, nullptr);
    release(second);
}

TEST_F(PluginLibrary, ObjectsWorkThroughTheirInterfaces)
{
    void* controllerObject = acquire("IIHux::AlgorithmController", nullptr);
    ASSERT_NE(controllerObject, nullptr);
    auto* controller = static_cast<IIHux::AlgorithmController*>(controllerObject);
    EXPECT_EQ(controller->QueryWord(), 0);
    EXPECT_NE(controller->GetControllerInterface(), nullptr);

    void* pluginObject = acquire("IIHux::Plugin", nullptr);
    ASSERT_NE(pluginObject, nullptr);
    struct Bytes final : ByteSink {
        std::size_t calls = 0;
        std::size_t length = 1;
        void store(const std::uint8_t*, std::size_t count) override
        {
            ++calls;
            length = count;
        }
    } state;
    const KtResult saved = static_cast<IIHux::Plugin*>(pluginObject)->saveState(state, false);
    EXPECT_EQ(saved.code, 0);
    EXPECT_EQ(state.calls, 1u);
    EXPECT_EQ(state.length, 0u); // the saved state is an empty message

    release(pluginObject);
    release(controllerObject);
}

} // namespace
