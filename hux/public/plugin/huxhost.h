// Objects the host-side wrapper provides and the plug-in calls back.
// The wrapper implements these; nothing in the library does. All are called
// on the wrapper's parameter thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "missive/source/serialization/missive.h"

// Receives the descriptor and the parameter description.
struct MessageSink {
    virtual void exchange(const Missive& message) = 0;

protected:
    ~MessageSink() = default;
};

// Receives saved state.
struct ByteSink {
    virtual void store(const std::uint8_t* bytes, std::size_t length) = 0;

protected:
    ~ByteSink() = default;
};

// One host parameter.
struct HuxParameter {
    // The parameter's position in the host's list (its binding's index).
    virtual std::uint32_t index() const = 0;
    virtual double value() const = 0;
    virtual void setValue(double value) = 0;
    // Tells the parameter about one parameter its handler receives as well.
    virtual void link(HuxParameter* linked) = 0;

protected:
    ~HuxParameter() = default;
};

// The host's parameter store.
struct HuxParameterHost {
    // The parameter with the four-character identifier, or null when the host
    // has none. handler is the plain handler function being bound to it, null
    // for a lookup or for a handler that is not a plain function; the wrapper
    // may ignore it.
    virtual HuxParameter* lookup(std::uint32_t identifier, const void* handler) = 0;
    // Host time in seconds.
    virtual double now() const = 0;

protected:
    ~HuxParameterHost() = default;
};

// Where a plug-in writes its parameter and meter descriptions.
struct ParameterAndMeterSink {
    Missive& parameters;
    Missive& meters;
};
