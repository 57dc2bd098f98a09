// vst3host: renders a sound file through a VST3 bundle as a host does.
#include "host/pluginhost/hostmain.h"
#include "vst3plugin.h"

namespace {

constexpr HostCommand kCommand{"vst3host", "BUNDLE",
                               R"(usage: vst3host [options] BUNDLE.vst3 INPUT OUTPUT

Renders INPUT through the VST3 plug-in in BUNDLE into OUTPUT, as a host
does: the plug-in is initialised, given its starting values with the first
block, set up for offline processing and run block by block. A stereo file
runs as one stereo bus. INPUT and OUTPUT are sound files, or headerless
32-bit float mono when named ".f32" (or "-").
)",
                               false, false};

} // namespace

int main(int argc, char** argv)
{
    return RunHost(kCommand, LoadVst3Plugin, argc, argv);
}
