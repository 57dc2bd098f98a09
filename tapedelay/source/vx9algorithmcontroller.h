// The tape delay's algorithm controller.
#pragma once

#include <cstdint>

#include "hux/public/plugin/hux.h"

struct VX9AlgorithmController final : HuxAlgorithmController<IIVX9Controller> {
    std::intptr_t QueryWord() override;
    void SetupController(const HuxSetup& setup) override;

    void setBypassed(bool bypassed) override;
    void setTone(std::uint32_t tone) override;
    void setMode(std::uint32_t mode) override;
    void setDelayTime(double seconds) override;
    void setFeedback(double dial) override;
    void setInput(double dial) override;
    void setBlend(double dial) override;
    void setOutput(double dial) override;
    void setTimeGlide(bool slow) override;
    void restartGate(bool restart) override;
};
