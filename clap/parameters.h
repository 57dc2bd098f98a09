// What a CLAP host sees of the tape delay's parameters: the plug-in's own
// in host order (their IDs their four-character codes, their values plain),
// then the Tap control and the two meters. Built once per plug-in library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "clap/ext/params.h"
#include "host/effect/productlibrary.h"

struct ClapParameter {
    enum class Role : std::uint8_t {
        plugin, // one of the plug-in's parameters: index is its host index
        tap,    // the Tap control
        meter,  // a meter: index 0 input, 1 output
    };
    clap_param_info_t info{};
    Role role = Role::plugin;
    std::size_t index = 0;
};

class ClapParameters {
public:
    // [set-up] allocates.
    explicit ClapParameters(const ProductLibrary& product);

    // [any] no allocation.
    std::uint32_t count() const { return static_cast<std::uint32_t>(parameters.size()); }
    const ClapParameter* at(std::uint32_t index) const;
    const ClapParameter* find(clap_id id) const;
    // Where a parameter of this list stands in it.
    std::size_t position(const ClapParameter& parameter) const
    {
        return static_cast<std::size_t>(&parameter - parameters.data());
    }
    // The meters, input then output.
    const ClapParameter& meter(std::size_t which) const;

    // [main] allocates. The text a host shows for a value: an option's
    // name, or the number with its units; false for an unknown ID.
    bool valueToText(clap_id id, double value, char* text, std::uint32_t capacity) const;
    // [main] allocates. The value for text as the command reads it ("8th",
    // "300ms", "on"); false for an unknown ID, a value the host cannot set
    // or text that names no value.
    bool textToValue(clap_id id, const char* text, double* value) const;

private:
    const ProductLibrary& product;
    std::vector<ClapParameter> parameters;
};
