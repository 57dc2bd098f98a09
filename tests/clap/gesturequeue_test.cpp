// The editor's gesture queue: steps come out in the order they went in, and
// a full queue never leaves half a gesture (the newest gesture is dropped
// whole; a value that finds no room arrives before its gesture's end).
#include <gtest/gtest.h>

#include <vector>

#include "clap/gesturequeue.h"

namespace {

using Kind = GestureStep::Kind;

struct Step {
    Kind kind;
    std::uint32_t parameter;
    double value;
    bool operator==(const Step&) const = default;
};

std::vector<Step> Drain(GestureQueue& queue)
{
    std::vector<Step> steps;
    queue.drain([&](const GestureStep& step) {
        steps.push_back({step.kind, step.parameter, step.value});
    });
    return steps;
}

TEST(GestureQueue, StepsComeOutInOrderAcrossInterleavedGestures)
{
    GestureQueue queue(4);
    EXPECT_TRUE(queue.begin(1));
    EXPECT_TRUE(queue.change(1, 0.25));
    EXPECT_TRUE(queue.begin(3));
    EXPECT_TRUE(queue.change(3, 7.0));
    EXPECT_TRUE(queue.change(1, 0.5));
    EXPECT_TRUE(queue.end(1));
    EXPECT_TRUE(queue.open(3));
    EXPECT_FALSE(queue.open(1));
    const std::vector<Step> first = Drain(queue);
    EXPECT_EQ(first, (std::vector<Step>{{Kind::begin, 1, 0.0},
                                        {Kind::value, 1, 0.25},
                                        {Kind::begin, 3, 0.0},
                                        {Kind::value, 3, 7.0},
                                        {Kind::value, 1, 0.5},
                                        {Kind::end, 1, 0.0}}));
    // The open gesture goes on in the next drain; nothing is repeated.
    EXPECT_TRUE(queue.end(3));
    EXPECT_EQ(Drain(queue), (std::vector<Step>{{Kind::end, 3, 0.0}}));
    EXPECT_TRUE(Drain(queue).empty());
}

TEST(GestureQueue, IgnoresStepsOutsideAGestureOrPastTheParameters)
{
    GestureQueue queue(2);
    EXPECT_FALSE(queue.change(0, 1.0)); // no gesture open
    EXPECT_FALSE(queue.end(0));
    EXPECT_FALSE(queue.begin(2)); // past the parameters
    EXPECT_FALSE(queue.change(2, 1.0));
    EXPECT_TRUE(queue.begin(0));
    EXPECT_FALSE(queue.begin(0)); // already open
    EXPECT_EQ(Drain(queue), (std::vector<Step>{{Kind::begin, 0, 0.0}}));
}

TEST(GestureQueue, AFullQueueDropsTheNewestGestureWholeAndKeepsTheLastValue)
{
    GestureQueue queue(3);
    ASSERT_TRUE(queue.begin(0));
    // Far more values than the queue holds, none drained: each is taken.
    for (int i = 1; i <= 3 * static_cast<int>(GestureQueue::kCapacity); ++i)
        EXPECT_TRUE(queue.change(0, i));
    // No room for another gesture with its reserve: dropped, whole.
    EXPECT_FALSE(queue.begin(1));
    EXPECT_TRUE(queue.open(1));
    EXPECT_FALSE(queue.change(1, 5.0));
    EXPECT_FALSE(queue.end(1));
    EXPECT_FALSE(queue.open(1));
    EXPECT_TRUE(queue.end(0));

    const std::vector<Step> steps = Drain(queue);
    ASSERT_GE(steps.size(), 3u);
    EXPECT_LE(steps.size(), GestureQueue::kCapacity);
    EXPECT_EQ(steps.front(), (Step{Kind::begin, 0, 0.0}));
    EXPECT_EQ(steps.back(), (Step{Kind::end, 0, 0.0}));
    // The last value given comes just before the end; the values are in
    // the order given; parameter 1 appears nowhere.
    EXPECT_EQ(steps[steps.size() - 2], (Step{Kind::value, 0, 3.0 * GestureQueue::kCapacity}));
    for (std::size_t i = 1; i + 1 < steps.size(); ++i) {
        EXPECT_EQ(steps[i].kind, Kind::value);
        EXPECT_EQ(steps[i].parameter, 0u);
        if (i > 1) {
            EXPECT_GT(steps[i].value, steps[i - 1].value);
        }
    }

    // Drained, the queue takes gestures again, the dropped one's parameter
    // too.
    EXPECT_TRUE(queue.begin(1));
    EXPECT_TRUE(queue.change(1, 2.0));
    EXPECT_TRUE(queue.end(1));
    EXPECT_EQ(Drain(queue).size(), 3u);
}

TEST(GestureQueue, EveryOpenGestureKeepsRoomForItsEnd)
{
    // As many gestures begun as the queue allows, then filled with values:
    // each still ends, with its last value.
    GestureQueue queue(GestureQueue::kCapacity);
    std::uint32_t begun = 0;
    while (queue.begin(begun))
        ++begun;
    ASSERT_GT(begun, 1u);
    for (std::uint32_t p = 0; p < begun; ++p)
        EXPECT_TRUE(queue.change(p, 10.0 + p));
    EXPECT_TRUE(queue.endAll());
    EXPECT_FALSE(queue.endAll()); // nothing left open
    for (std::uint32_t p = 0; p <= begun; ++p)
        EXPECT_FALSE(queue.open(p));

    std::vector<int> ends(begun, 0);
    std::vector<double> lastValue(begun, 0.0);
    for (const Step& step : Drain(queue)) {
        ASSERT_LT(step.parameter, begun);
        if (step.kind == Kind::end)
            ++ends[step.parameter];
        else if (step.kind == Kind::value) {
            EXPECT_EQ(ends[step.parameter], 0) << "a value after its gesture's end";
            lastValue[step.parameter] = step.value;
        }
    }
    for (std::uint32_t p = 0; p < begun; ++p) {
        EXPECT_EQ(ends[p], 1) << p;
        EXPECT_EQ(lastValue[p], 10.0 + p) << p;
    }
}

} // namespace
