// The test hosts' run loop while an editor is open, on the main thread:
// timers, file descriptors watched with poll() (POSIX) and the host
// window's events, as the formats' run-loop services need them (VST3's
// Linux IRunLoop, CLAP's timer-support and posix-fd-support). Callbacks may
// add or remove timers and watches, their own among them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

#include "hostwindow.h"

class RunLoop {
public:
    using Id = std::uint64_t;
    // What a watched descriptor is ready for (the same bits as CLAP's).
    enum Ready : unsigned { kReadable = 1, kWritable = 2, kError = 4 };

    // `window` may be null: a loop of timers and watches only.
    explicit RunLoop(HostWindow* window);

    // [main] `tick` every `milliseconds` (at least 1) from now until
    // removed. Returns its id, never 0.
    Id addTimer(std::uint32_t milliseconds, std::function<void()> tick);
    // [main] `ready` with what `fd` is ready for, whenever it is ready for
    // one of `wanted` (kReadable, kWritable; errors always). Windows has
    // no such descriptors: returns 0 there.
    Id addWatch(int fd, unsigned wanted, std::function<void(unsigned)> ready);
    // [main] false when there is no such timer or watch.
    bool removeTimer(Id id);
    bool removeWatch(Id id);
    bool changeWatch(Id id, unsigned wanted);
    std::size_t timers() const { return timerList.size(); }
    std::size_t watches() const { return watchList.size(); }

    // [main] after every round of timers, watches and window events.
    void afterEachRound(std::function<void()> work) { afterRound = std::move(work); }

    // [main] serves timers, watches and the window for `seconds`, or until
    // the window is closed or `done` returns true (checked every round).
    void run(double seconds, const std::function<bool()>& done = {});

private:
    using Clock = std::chrono::steady_clock;
    struct Timer {
        Clock::duration period;
        Clock::time_point due;
        std::function<void()> tick;
    };
    struct Watch {
        int fd;
        unsigned wanted;
        std::function<void(unsigned)> ready;
    };

    void fireDueTimers();
    // Waits until `until` at most for the window or a watch, serving them.
    void wait(Clock::time_point until);

    HostWindow* window;
    Id lastId = 0;
    std::map<Id, Timer> timerList;
    std::map<Id, Watch> watchList;
    std::function<void()> afterRound;
};
