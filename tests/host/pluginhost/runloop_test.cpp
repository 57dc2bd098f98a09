// The editor's run loop without a window: timers keep their pace without
// bursts, callbacks may remove what they like (themselves among it),
// watched descriptors are served when ready, and the loop ends on time or
// when asked to; the gesture log's lines read back exactly.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>

#include "host/pluginhost/gesturelog.h"
#include "host/pluginhost/parametertext.h"
#include "host/pluginhost/runloop.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(RunLoop, TimersKeepTheirPaceAndMayGoInTheirOwnTick)
{
    RunLoop loop(nullptr);
    int fast = 0, once = 0, slow = 0;
    loop.addTimer(10, [&] { ++fast; });
    RunLoop::Id onceId = 0;
    onceId = loop.addTimer(5, [&] {
        ++once;
        EXPECT_TRUE(loop.removeTimer(onceId));
    });
    const RunLoop::Id slowId = loop.addTimer(1000, [&] { ++slow; });
    const Clock::time_point start = Clock::now();
    loop.run(0.25);
    const double took = SecondsSince(start);
    EXPECT_GE(took, 0.25);
    EXPECT_LT(took, 1.0);
    // 25 ticks due; a loaded machine may lose some, but never bursts.
    EXPECT_GE(fast, 10);
    EXPECT_LE(fast, 25);
    EXPECT_EQ(once, 1);
    EXPECT_EQ(slow, 0);
    EXPECT_EQ(loop.timers(), 2u);
    EXPECT_TRUE(loop.removeTimer(slowId));
    EXPECT_FALSE(loop.removeTimer(slowId));
    EXPECT_FALSE(loop.removeTimer(onceId));
}

TEST(RunLoop, ATickMayRemoveAnotherDueInTheSameRound)
{
    RunLoop loop(nullptr);
    int second = 0;
    RunLoop::Id secondId = 0;
    loop.addTimer(20, [&] { loop.removeTimer(secondId); });
    secondId = loop.addTimer(20, [&] { ++second; });
    loop.run(0.1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(loop.timers(), 1u);
}

TEST(RunLoop, AWatchIsServedWhenItsDescriptorIsReady)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    RunLoop loop(nullptr);
    std::string got;
    unsigned readyFlags = 0;
    const RunLoop::Id id = loop.addWatch(ends[0], RunLoop::kReadable, [&](unsigned ready) {
        readyFlags |= ready;
        char c = 0;
        if (read(ends[0], &c, 1) == 1)
            got += c;
    });
    ASSERT_NE(id, 0u);
    // Written from a timer, read through the watch within the same run.
    loop.addTimer(20, [&] { EXPECT_EQ(write(ends[1], "x", 1), 1); });
    int rounds = 0;
    loop.afterEachRound([&] { ++rounds; });
    const Clock::time_point start = Clock::now();
    loop.run(5.0, [&] { return got.size() >= 3; });
    EXPECT_LT(SecondsSince(start), 4.0);
    EXPECT_EQ(got, "xxx");
    EXPECT_EQ(readyFlags & RunLoop::kReadable, RunLoop::kReadable);
    EXPECT_GE(rounds, 3);

    // The write end closed: the read end is ready with the hang-up.
    close(ends[1]);
    readyFlags = 0;
    loop.run(1.0, [&] { return readyFlags != 0; });
    EXPECT_NE(readyFlags, 0u);
    EXPECT_TRUE(loop.removeWatch(id));
    EXPECT_FALSE(loop.changeWatch(id, RunLoop::kReadable));
    EXPECT_EQ(loop.addWatch(-1, RunLoop::kReadable, [](unsigned) {}), 0u);
    close(ends[0]);
}

TEST(GestureLog, LinesNameTheParameterAndReadBackTheValueExactly)
{
    std::ostringstream out;
    GestureLog log(out);
    const std::uint32_t feedback = 0x6662616b; // "fbak"
    log.begin(feedback);
    log.value(feedback, 6.2);
    log.value(feedback, 0.1 + 0.2);
    log.value(7, 1e-300);
    log.end(feedback);
    EXPECT_EQ(out.str(), "begin fbak\nvalue fbak 6.2\nvalue fbak 0.30000000000000004\n"
                         "value 7 1e-300\nend fbak\n");
    for (const double value : {0.1, 2.0 / 3.0, 7.5, 1e21, -0.0})
        EXPECT_EQ(std::stod(ShortestText(value)), value) << ShortestText(value);
}

} // namespace
