// The tape delay's controller interface: what the plug-in object drives as
// parameters change. Parameter thread only. Callers address the operations
// by their order, so the declaration order is fixed.
#pragma once

#include <cstdint>

// Root interface: objects destroyed through it.
struct IIKtInterface {
    virtual ~IIKtInterface() = default;
};

struct IIVX9Controller : virtual IIKtInterface {
    virtual void setBypassed(bool bypassed) = 0;
    virtual void setTone(std::uint32_t tone) = 0; // 0 Normal, 1 Dark, 2 Bright
    virtual void setMode(std::uint32_t mode) = 0; // 0 Vintage, 1 Retro, 2 Modern
    virtual void setDelayTime(double seconds) = 0;
    virtual void setFeedback(double dial) = 0; // dials run from 1 to 9
    virtual void setInput(double dial) = 0;
    virtual void setBlend(double dial) = 0;
    virtual void setOutput(double dial) = 0;
    virtual void setTimeGlide(bool slow) = 0;
    virtual void restartGate(bool restart) = 0;
};
