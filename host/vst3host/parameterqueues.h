// The parameter changes a host hands the plug-in with one process call
// (IParameterChanges), and those it takes back: one queue per parameter,
// its points in the order added. Storage is reserved up front, so a block
// that stays within it allocates nothing; clear() empties it for the next
// block.
#pragma once

#include <pluginterfaces/base/funknownimpl.h>
#include <pluginterfaces/vst/ivstparameterchanges.h>

#include <cstddef>
#include <utility>
#include <vector>

class ParameterQueue final : public Steinberg::U::ImplementsNonDestroyable<
                                 Steinberg::U::Directly<Steinberg::Vst::IParamValueQueue>> {
public:
    ParameterQueue(Steinberg::Vst::ParamID id, std::size_t capacity);

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return id; }
    Steinberg::int32 PLUGIN_API getPointCount() override;
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                           Steinberg::Vst::ParamValue& value) override;
    // A point past the reserved storage is refused (kResultFalse).
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset,
                                           Steinberg::Vst::ParamValue value,
                                           Steinberg::int32& index) override;

    // Host side: empty again, for the given parameter.
    void reset(Steinberg::Vst::ParamID newId);
    // The last point's value, when there is one.
    bool last(Steinberg::Vst::ParamValue& value) const;

private:
    Steinberg::Vst::ParamID id;
    std::size_t capacity;
    std::vector<std::pair<Steinberg::int32, Steinberg::Vst::ParamValue>> points;
};

class ParameterChanges final : public Steinberg::U::ImplementsNonDestroyable<
                                   Steinberg::U::Directly<Steinberg::Vst::IParameterChanges>> {
public:
    // Room for `queues` parameters with `points` points each.
    ParameterChanges(std::size_t queues, std::size_t points);

    Steinberg::int32 PLUGIN_API getParameterCount() override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    // The parameter's queue, added when it has none yet; null past the
    // reserved storage.
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                  Steinberg::int32& index) override;

    // Host side: the point added to the parameter's queue; false when there
    // is no room for it.
    bool add(Steinberg::Vst::ParamID id, Steinberg::int32 sampleOffset,
             Steinberg::Vst::ParamValue value);
    void clear() { used = 0; }

private:
    std::vector<ParameterQueue> queues; // the first `used` are in this block
    std::size_t used = 0;
};
