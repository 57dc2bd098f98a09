// Loads the built plug-in library at run time, as a wrapper does (through
// the reference host's loader), and works only through its two exports.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/runtime/pluginlibrary.h"
#include "hux/public/plugin/hux.h"

namespace {

// Each object works through the interface it was asked for.
TEST(PluginLibrary, AcquiresByExactInterfaceName)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    // The very first call is a release: it builds the registry and finds
    // nothing to destroy.
    int foreign = 0;
    library.release(&foreign);

    // Released through the library when the test ends, the plug-in first.
    const HuxObject<IIHux::AlgorithmController> controller(library, "IIHux::AlgorithmController");
    const HuxObject<IIHux::Algorithm> algorithm(library, "IIHux::Algorithm");
    const HuxObject<IIHux::Plugin> plugin(library, "IIHux::Plugin");
    EXPECT_EQ(controller->QueryWord(), 0);
    EXPECT_NE(controller->GetControllerInterface(), nullptr);
    EXPECT_EQ(algorithm->GetProcessCallback().context, algorithm.get());
    struct Lengths final : ByteSink {
        std::vector<std::size_t> stored;
        void store(const std::uint8_t*, std::size_t count) override { stored.push_back(count); }
    } state;
    EXPECT_EQ(plugin->saveState(state, false).code, 0);
    EXPECT_EQ(state.stored, std::vector<std::size_t>{0}); // the saved state is an empty message

    // The library hands out nothing for any other name.
    for (const char* name : {"IIHux::plugin", "IIHux::Plugin ", "Plugin", "IIHux::", "",
                             "IIHux::AlgorithmControllers", "IIVX9Controller"})
        EXPECT_THROW(library.acquire(name), PluginLoadError) << '"' << name << '"';
}

} // namespace
