// The parameter queues the VST3 host hands the plug-in with each block.
#include <gtest/gtest.h>

#include <vector>

#include "host/vst3host/parameterqueues.h"

namespace {

using Steinberg::int32;
using Steinberg::kResultOk;
using Steinberg::Vst::ParamValue;

// What the plug-in reads: (id, [(offset, value)...]) per queue.
using Seen = std::vector<std::pair<Steinberg::Vst::ParamID, std::vector<std::pair<int32, double>>>>;

Seen Read(Steinberg::Vst::IParameterChanges& changes)
{
    Seen seen;
    for (int32 q = 0; q < changes.getParameterCount(); ++q) {
        Steinberg::Vst::IParamValueQueue* queue = changes.getParameterData(q);
        seen.push_back({queue->getParameterId(), {}});
        for (int32 p = 0; p < queue->getPointCount(); ++p) {
            int32 offset = -1;
            ParamValue value = -1;
            EXPECT_EQ(queue->getPoint(p, offset, value), kResultOk);
            seen.back().second.emplace_back(offset, value);
        }
    }
    return seen;
}

TEST(Vst3HostParameterChanges, OneQueuePerParameterInTheOrderFirstChanged)
{
    ParameterChanges changes(2, 3);
    EXPECT_TRUE(changes.add(7, 0, 0.25));
    EXPECT_TRUE(changes.add(3, 5, 0.5));
    EXPECT_TRUE(changes.add(7, 9, 1.0));
    EXPECT_EQ(Read(changes), (Seen{{7, {{0, 0.25}, {9, 1.0}}}, {3, {{5, 0.5}}}}));

    // Past the reserved room: refused, what is there unchanged.
    EXPECT_FALSE(changes.add(4, 0, 0.1));
    EXPECT_TRUE(changes.add(3, 6, 0.6));
    EXPECT_TRUE(changes.add(3, 7, 0.7));
    EXPECT_FALSE(changes.add(3, 8, 0.8));
    EXPECT_EQ(changes.getParameterData(2), nullptr);
    int32 offset = 0;
    ParamValue value = 0;
    EXPECT_NE(changes.getParameterData(0)->getPoint(2, offset, value), kResultOk);

    // The plug-in's own changes go through the same calls.
    changes.clear();
    EXPECT_EQ(changes.getParameterCount(), 0);
    int32 index = -1;
    Steinberg::Vst::IParamValueQueue* queue = changes.addParameterData(4, index);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(queue->addPoint(3, 0.3, index), kResultOk);
    EXPECT_EQ(changes.addParameterData(4, index), queue);
    EXPECT_EQ(Read(changes), (Seen{{4, {{3, 0.3}}}}));
    ParamValue last = 0;
    EXPECT_TRUE(static_cast<ParameterQueue*>(queue)->last(last));
    EXPECT_EQ(last, 0.3);
}

} // namespace
