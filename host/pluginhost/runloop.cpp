#include "runloop.h"

#include <algorithm>
#include <vector>

#if !defined(_WIN32)
#include <poll.h>
#endif

RunLoop::RunLoop(HostWindow* window) : window(window) {}

RunLoop::Id RunLoop::addTimer(std::uint32_t milliseconds, std::function<void()> tick)
{
    const auto period = std::chrono::milliseconds(std::max<std::uint32_t>(milliseconds, 1));
    timerList.emplace(++lastId, Timer{period, Clock::now() + period, std::move(tick)});
    return lastId;
}

RunLoop::Id RunLoop::addWatch([[maybe_unused]] int fd, [[maybe_unused]] unsigned wanted,
                              [[maybe_unused]] std::function<void(unsigned)> ready)
{
#if defined(_WIN32)
    return 0;
#else
    if (fd < 0)
        return 0;
    watchList.emplace(++lastId, Watch{fd, wanted, std::move(ready)});
    return lastId;
#endif
}

bool RunLoop::removeTimer(Id id)
{
    return timerList.erase(id) == 1;
}

bool RunLoop::removeWatch(Id id)
{
    return watchList.erase(id) == 1;
}

bool RunLoop::changeWatch(Id id, unsigned wanted)
{
    const auto found = watchList.find(id);
    if (found == watchList.end())
        return false;
    found->second.wanted = wanted;
    return true;
}

void RunLoop::run(double seconds, const std::function<bool()>& done)
{
    const auto end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(std::clamp(seconds, 0.0, 86400.0)));
    for (;;) {
        if (window != nullptr)
            window->dispatch(0.0);
        fireDueTimers();
        if (afterRound)
            afterRound();
        if ((window != nullptr && window->closed()) || (done && done()))
            return;
        const Clock::time_point now = Clock::now();
        if (now >= end)
            return;
        Clock::time_point until = end;
        for (const auto& [id, timer] : timerList)
            until = std::min(until, timer.due);
        wait(until);
    }
}

void RunLoop::fireDueTimers()
{
    // A callback may remove any timer: each is looked up again before it
    // fires, and a timer added meanwhile waits for its first period.
    std::vector<Id> due;
    const Clock::time_point now = Clock::now();
    for (const auto& [id, timer] : timerList)
        if (timer.due <= now)
            due.push_back(id);
    for (const Id id : due) {
        const auto found = timerList.find(id);
        if (found == timerList.end())
            continue;
        Timer& timer = found->second;
        // A late timer fires once and keeps its pace from now, without a
        // burst to catch up.
        timer.due = std::max(timer.due + timer.period, now);
        const std::function<void()> tick = timer.tick; // the timer may go in its own tick
        tick();
    }
}

void RunLoop::wait(Clock::time_point until)
{
    const auto left = std::max(Clock::duration::zero(), until - Clock::now());
#if defined(_WIN32)
    if (window != nullptr)
        window->dispatch(std::chrono::duration<double>(left).count());
#else
    std::vector<pollfd> fds;
    std::vector<Id> ids;
    if (window != nullptr) {
        fds.push_back({window->connectionFd(), POLLIN, 0});
        ids.push_back(0);
    }
    for (const auto& [id, watch] : watchList) {
        const short events = static_cast<short>(((watch.wanted & kReadable) != 0 ? POLLIN : 0) |
                                                ((watch.wanted & kWritable) != 0 ? POLLOUT : 0));
        fds.push_back({watch.fd, events, 0});
        ids.push_back(id);
    }
    // Rounded up, so that a timer is never woken for just before it is due.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    if (poll(fds.data(), fds.size(), static_cast<int>(std::min<long long>(ms, 1000000))) <= 0)
        return;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (ids[i] == 0 || fds[i].revents == 0)
            continue;
        const auto found = watchList.find(ids[i]);
        if (found == watchList.end())
            continue;
        const unsigned ready =
            ((fds[i].revents & POLLIN) != 0 ? kReadable : 0u) |
            ((fds[i].revents & POLLOUT) != 0 ? kWritable : 0u) |
            ((fds[i].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 ? kError : 0u);
        const std::function<void(unsigned)> call = found->second.ready;
        call(ready);
    }
#endif
}
