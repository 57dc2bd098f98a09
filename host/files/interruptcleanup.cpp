// The interrupt handler and the table it reads. The handler only loads
// lock-free atomics, calls unlink() and _exit(): all async-signal-safe.
#include "interruptcleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>

#include "outputfile.h"

#if defined(_WIN32)
#include <io.h>
#include <stdlib.h>
#else
#include <unistd.h>
#endif

namespace {

enum class SlotState : int { free, filling, live };

struct Slot {
    std::atomic<SlotState> state{SlotState::free};
    char path[kInterruptCleanupPathBytes];
};
static_assert(std::atomic<SlotState>::is_always_lock_free);

constexpr int kSlots = 8;
Slot slots[kSlots];

extern "C" void removeTemporaryFiles(int number)
{
    for (Slot& slot : slots)
        if (slot.state.load(std::memory_order_acquire) == SlotState::live)
            unlink(slot.path);
    _exit(128 + number);
}

} // namespace

InterruptCleanupEntry::InterruptCleanupEntry(const std::string& path)
{
    if (path.size() >= kInterruptCleanupPathBytes)
        return;
    for (int i = 0; i < kSlots; ++i) {
        SlotState expected = SlotState::free;
        if (slots[i].state.compare_exchange_strong(expected, SlotState::filling,
                                                   std::memory_order_acquire)) {
            std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
            // The handler sees the path only once it is complete.
            slots[i].state.store(SlotState::live, std::memory_order_release);
            slot = i;
            return;
        }
    }
}

void InterruptCleanupEntry::release()
{
    if (slot >= 0)
        slots[slot].state.store(SlotState::free, std::memory_order_release);
    slot = -1;
}

void InstallInterruptCleanup()
{
#if defined(_WIN32)
    for (int number : {SIGINT, SIGTERM})
        if (std::signal(number, removeTemporaryFiles) == SIG_IGN)
            std::signal(number, SIG_IGN);
#else
    struct sigaction action {};
    action.sa_handler = removeTemporaryFiles;
    sigfillset(&action.sa_mask); // no second signal while the files are removed
    for (int number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        if (sigaction(number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue; // as under nohup, or for a background job of a script
        sigaction(number, &action, nullptr);
    }
#endif
}
