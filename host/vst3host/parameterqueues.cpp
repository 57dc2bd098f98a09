#include "parameterqueues.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

ParameterQueue::ParameterQueue(ParamID id, std::size_t capacity) : id(id), capacity(capacity)
{
    points.reserve(capacity);
}

int32 PLUGIN_API ParameterQueue::getPointCount()
{
    return static_cast<int32>(points.size());
}

tresult PLUGIN_API ParameterQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || static_cast<std::size_t>(index) >= points.size())
        return kInvalidArgument;
    sampleOffset = points[static_cast<std::size_t>(index)].first;
    value = points[static_cast<std::size_t>(index)].second;
    return kResultOk;
}

tresult PLUGIN_API ParameterQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    if (points.size() == capacity)
        return kResultFalse;
    index = static_cast<int32>(points.size());
    points.emplace_back(sampleOffset, value);
    return kResultOk;
}

void ParameterQueue::reset(ParamID newId)
{
    id = newId;
    points.clear();
}

bool ParameterQueue::last(ParamValue& value) const
{
    if (points.empty())
        return false;
    value = points.back().second;
    return true;
}

ParameterChanges::ParameterChanges(std::size_t queueCount, std::size_t points)
{
    queues.reserve(queueCount);
    for (std::size_t i = 0; i < queueCount; ++i)
        queues.emplace_back(0, points);
}

int32 PLUGIN_API ParameterChanges::getParameterCount()
{
    return static_cast<int32>(used);
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= used)
        return nullptr;
    return &queues[static_cast<std::size_t>(index)];
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (std::size_t i = 0; i < used; ++i)
        if (queues[i].getParameterId() == id) {
            index = static_cast<int32>(i);
            return &queues[i];
        }
    if (used == queues.size())
        return nullptr;
    queues[used].reset(id);
    index = static_cast<int32>(used);
    return &queues[used++];
}

bool ParameterChanges::add(ParamID id, int32 sampleOffset, ParamValue value)
{
    int32 index = 0;
    IParamValueQueue* queue = addParameterData(id, index);
    int32 pointIndex = 0;
    return queue != nullptr && queue->addPoint(sampleOffset, value, pointIndex) == kResultOk;
}
