// The library's only exported functions.
#include "huxlibrary.h"

#if defined(_WIN32)
#define HUX_EXPORT // exported by the module definition file
#else
#define HUX_EXPORT __attribute__((visibility("default")))
#endif

extern "C" HUX_EXPORT void* HuxAcquire(const char* name, void* context)
{
    return HuxLibrary().Acquire(name, context);
}

extern "C" HUX_EXPORT void HuxRelease(void* object)
{
    HuxLibrary().Release(object);
}
