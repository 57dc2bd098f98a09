// What a VST3 host calls in the module: the factory, and the entry and exit
// it calls once after loading and before unloading (ModuleEntry/ModuleExit
// on Linux, InitDll/ExitDll on Windows). The plug-in library comes from the
// bundle folder this module sits in.
#include "loadedproduct.h"
#include "pluginfactory.h"
#include "pluginterfaces/base/fplatform.h"

extern "C" {

SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory()
{
    return TapeDelayFactory::Acquire(BundledLibraryPath());
}

#if SMTG_OS_WINDOWS
SMTG_EXPORT_SYMBOL bool InitDll()
{
    return true;
}

SMTG_EXPORT_SYMBOL bool ExitDll()
{
    return true;
}
#else
SMTG_EXPORT_SYMBOL bool ModuleEntry(void*)
{
    return true;
}

SMTG_EXPORT_SYMBOL bool ModuleExit()
{
    return true;
}
#endif
}
