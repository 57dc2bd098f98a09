// The controller side: IIHux::AlgorithmController and its base.
//
// The controller turns parameter values into coefficients and hands them to
// the wrapper through coefficient blocks. Parameter thread only.
#pragma once

#include <cstdint>

#include "coeffblock.h"
#include "core/ktresult.h"
#include "huxsetup.h"
#include "iivx9controller.h"

namespace IIHux {
struct AlgorithmController {
    // [parameter thread] Creates and declares the coefficient blocks; may
    // allocate; lets the rate's refusal pass as an exception.
    virtual KtResult Setup(const HuxSetup& setup, CoeffBlockFactory* factory) = 0;
    // [parameter thread]
    virtual KtResult Reset() = 0;
    // [any thread] A constant word; no side effects.
    virtual std::intptr_t QueryWord() = 0;
    // [parameter thread] The product interface, valid as long as the object.
    virtual IIVX9Controller* GetControllerInterface() = 0;

protected:
    ~AlgorithmController() = default;
};
} // namespace IIHux

template <class Interface>
class HuxAlgorithmController : public IIHux::AlgorithmController, public Interface {
public:
    // Exceptions of the product's set-up pass through, after the rate and the
    // factory were stored.
    KtResult Setup(const HuxSetup& setup, CoeffBlockFactory* factory) override
    {
        setupLeading = setup.leading;
        sampleRate = setup.sampleRate;
        coeffFactory = factory;
        SetupController(setup);
        return KtSuccess();
    }

    KtResult Reset() override
    {
        ResetController();
        return KtSuccess();
    }

    Interface* GetControllerInterface() override { return this; }

    virtual void SetupController(const HuxSetup& setup) = 0;
    virtual void ResetController() {}
    virtual float GetSampleRate() { return sampleRate; }

protected:
    HuxAlgorithmController() = default;
    ~HuxAlgorithmController() override = default;

    CoeffBlockFactory* coeffFactory = nullptr; // the wrapper's, not owned
    double setupLeading = 0.0;
    float sampleRate = 0.0f;
};
