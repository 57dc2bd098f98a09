// The wrapper's parameter service, as the plug-in tests play it: parameters
// found by four-character code that remember their links; the codes looked
// up and the values the plug-in writes back are logged in order.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "hux/public/plugin/huxhost.h"
#include "hux/public/plugin/huxsetup.h"

struct FakeHost;

struct FakeParameter final : HuxParameter {
    FakeHost* host = nullptr;
    std::string code;
    std::uint32_t position = 0;
    double current = 0.0;
    std::vector<HuxParameter*> links;
    std::uint32_t index() const override { return position; }
    double value() const override { return current; }
    void setValue(double value) override;
    void link(HuxParameter* linked) override { links.push_back(linked); }
};

struct FakeHost final : HuxParameterHost {
    std::map<std::uint32_t, FakeParameter> parameters;
    std::vector<std::uint32_t> lookups;
    std::vector<std::pair<std::string, double>> writes; // code, value
    double clock = 0.0;

    static std::uint32_t codeOf(const std::string& code)
    {
        return HuxFourCC({code[0], code[1], code[2], code[3], 0});
    }
    FakeParameter& add(const std::string& code, std::uint32_t index, double value = 0.0)
    {
        FakeParameter& parameter = parameters[codeOf(code)];
        parameter.host = this;
        parameter.code = code;
        parameter.position = index;
        parameter.current = value;
        return parameter;
    }
    FakeParameter& at(const std::string& code) { return parameters.at(codeOf(code)); }
    HuxParameter* lookup(std::uint32_t identifier, const void*) override
    {
        lookups.push_back(identifier);
        const auto found = parameters.find(identifier);
        return found == parameters.end() ? nullptr : &found->second;
    }
    double now() const override { return clock; }
};

inline void FakeParameter::setValue(double value)
{
    current = value;
    host->writes.emplace_back(code, value);
}
