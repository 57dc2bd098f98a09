#include "vx9algorithmcontroller.h"

// The wrapper asks nothing of this controller through the query word.
std::intptr_t VX9AlgorithmController::QueryWord()
{
    return 0;
}

void VX9AlgorithmController::SetupController(const HuxSetup&) {}

void VX9AlgorithmController::setBypassed(bool) {}
void VX9AlgorithmController::setTone(std::uint32_t) {}
void VX9AlgorithmController::setMode(std::uint32_t) {}
void VX9AlgorithmController::setDelayTime(double) {}
void VX9AlgorithmController::setFeedback(double) {}
void VX9AlgorithmController::setInput(double) {}
void VX9AlgorithmController::setBlend(double) {}
void VX9AlgorithmController::setOutput(double) {}
void VX9AlgorithmController::setTimeGlide(bool) {}
void VX9AlgorithmController::restartGate(bool) {}
