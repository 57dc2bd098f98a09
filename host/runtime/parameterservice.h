// The host's parameter store as the plug-in sees it: one object per
// parameter, looked up by four-character code, and the rules by which
// changes reach the plug-in's handlers.
//
// Changes from automation are stored and reported; the next dispatch
// handles them. A value the plug-in sets itself, or the user sets before
// the audio starts, is stored and, when it changed, reported and handled at
// once: by a dispatch run inside the call, or, when a dispatch is already
// running, by that walk (if its index lies ahead) or by the walks that
// follow it. The reference host is single-threaded: the block path and the
// parameter thread are one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "hux/public/plugin/huxplugin.h"
#include "plugindescription.h"

class ParameterService;

class HostParameter final : public HuxParameter {
public:
    HostParameter(ParameterService& service, std::uint32_t position, double initial)
        : service(service),
          position(position),
          stored(initial)
    {}

    std::uint32_t index() const override { return position; }
    double value() const override { return stored; }
    void setValue(double value) override;
    // The host keeps the links; it does not need them itself.
    void link(HuxParameter* linked) override { links.push_back(linked); }

    void store(double value);

private:
    ParameterService& service;
    std::uint32_t position;
    double stored;
    std::vector<HuxParameter*> links;
};

class ParameterService final : public HuxParameterHost {
public:
    // Walks run after one another until nothing is left pending.
    static constexpr int kMaxWalks = 16;

    // Every parameter at its described default.
    explicit ParameterService(const std::vector<ParameterInfo>& parameters);

    HuxParameter* lookup(std::uint32_t identifier, const void* handler) override;
    double now() const override { return clock; }

    // The plug-in the changes are reported to.
    void attach(IIHux::Plugin& plugin) { this->plugin = &plugin; }
    void setClock(double seconds) { clock = seconds; }
    // While on, the plug-in's setValue calls are neither stored nor reported.
    void discardPluginWrites(bool discard) { discarding = discard; }

    double value(std::size_t index) const { return objects.at(index)->value(); }
    // Moves with every value stored that differs: the same count, the same
    // values.
    std::uint64_t revision() const { return stores; }
    std::size_t size() const { return objects.size(); }

    // A control the user sets: stored and, when it changed, reported and
    // handled at once.
    void set(std::size_t index, double value) { setAndHandle(*objects.at(index), value); }
    // A change by automation: stored and reported.
    void change(std::size_t index, double value);
    // Every parameter's value, in index order, stored; those that changed
    // are reported.
    void storeAndReportChanges(std::span<const double> values);
    // Reports every parameter, in index order.
    void reportAll();
    // Dispatches, then walks again while a walk left reports behind.
    void dispatch();

private:
    friend class HostParameter;
    void pluginSet(HostParameter& parameter, double value);
    void setAndHandle(HostParameter& parameter, double value);

    const std::vector<ParameterInfo>& infos;
    std::vector<std::unique_ptr<HostParameter>> objects;
    IIHux::Plugin* plugin = nullptr;
    double clock = 0.0;
    bool discarding = false;
    bool walking = false;
    bool reportedDuringWalk = false;
    std::uint64_t stores = 0;
};
