// The registry of this library: the three objects a wrapper can acquire.
#include "hux/public/plugin/huxlibrary.h"
#include "vx9.h"
#include "vx9algorithm.h"
#include "vx9algorithmcontroller.h"

HuxLibraryCreator& HuxLibrary()
{
    static HuxLibraryCreator creator;
    static const bool registered = [] {
        creator.RegisterHuxObject<IIHux::AlgorithmController, VX9AlgorithmController>();
        creator.RegisterHuxObject<IIHux::Algorithm, VX9Algorithm>();
        creator.RegisterHuxObject<IIHux::Plugin, VX9>();
        return true;
    }();
    static_cast<void>(registered);
    return creator;
}
