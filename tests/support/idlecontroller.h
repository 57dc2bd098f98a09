// A controller interface whose operations do nothing; tests override the
// ones they watch.
#pragma once

#include <cstdint>

#include "hux/public/plugin/iivx9controller.h"

struct IdleController : IIVX9Controller {
    void setBypassed(bool) override {}
    void setTone(std::uint32_t) override {}
    void setMode(std::uint32_t) override {}
    void setDelayTime(double) override {}
    void setFeedback(double) override {}
    void setInput(double) override {}
    void setBlend(double) override {}
    void setOutput(double) override {}
    void setTimeGlide(bool) override {}
    void restartGate(bool) override {}
};
