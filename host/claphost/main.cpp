// claphost: renders a sound file through a CLAP plug-in as a host does.
#include "clapplugin.h"
#include "host/pluginhost/hostmain.h"

namespace {

constexpr HostCommand kCommand{"claphost", "FILE",
                               R"(usage: claphost [options] FILE.clap INPUT OUTPUT

Renders INPUT through the CLAP plug-in in FILE into OUTPUT, as a host does:
the plug-in is created and initialised, given its starting values through
params.flush, activated and run block by block, parameter values and tempo
changes as events at their own sample. A stereo file runs as one stereo
port. INPUT and OUTPUT are sound files, or headerless 32-bit float mono
when named ".f32" (or "-").
)",
                               true, true};

} // namespace

int main(int argc, char** argv)
{
    return RunHost(kCommand, LoadClapPlugin, argc, argv);
}
