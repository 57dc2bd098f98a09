#include "residentmemory.h"

#if defined(_WIN32)
#include <windows.h>
// windows.h first: psapi.h needs its types.
#include <psapi.h>
#else
#include <unistd.h>

#include <fstream>
#endif

std::uint64_t ResidentBytes()
{
#if defined(_WIN32)
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.WorkingSetSize;
#else
    // statm: the program's size, then its resident pages.
    std::ifstream statm("/proc/self/statm");
    std::uint64_t size = 0, resident = 0;
    if (!(statm >> size >> resident))
        return 0;
    const long page = sysconf(_SC_PAGESIZE);
    return resident * static_cast<std::uint64_t>(page > 0 ? page : 4096);
#endif
}
