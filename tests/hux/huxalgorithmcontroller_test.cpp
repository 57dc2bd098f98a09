// The controller base: what Setup stores before the product's hook runs, and
// the product interface it hands out.
#include <gtest/gtest.h>

#include <cstdint>

#include "hux/public/plugin/hux.h"
#include "tests/support/idlecontroller.h"

namespace {

struct ProbeController final : HuxAlgorithmController<IdleController> {
    float rateSeenBySetup = 0.0f;
    bool* destroyed = nullptr;

    ~ProbeController() override
    {
        if (destroyed != nullptr)
            *destroyed = true;
    }

    std::intptr_t QueryWord() override { return 0; }
    void SetupController(const HuxSetup&) override { rateSeenBySetup = GetSampleRate(); }

    CoeffBlockFactory* factory() const { return coeffFactory; }
    double leading() const { return setupLeading; }
};

struct NullFactory final : CoeffBlockFactory {
    CoeffBlock* CreateBlock(const char*, std::uint32_t, bool) override { return nullptr; }
};

TEST(HuxAlgorithmController, SetupStoresTheRecordThenRunsTheProductHook)
{
    ProbeController probe;
    NullFactory factory;
    IIHux::AlgorithmController& controller = probe;
    const KtResult result = controller.Setup(HuxSetup{3.25, 96000.0f}, &factory);
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.file, nullptr);
    EXPECT_EQ(probe.rateSeenBySetup, 96000.0f);
    EXPECT_EQ(probe.leading(), 3.25);
    EXPECT_EQ(probe.factory(), &factory);
    EXPECT_EQ(controller.Reset().code, 0);
    // That a product's failure passes through, after the rate and the factory
    // were stored, is the product controller's test (RefusedSetupsAndEarlyCalls).
}

TEST(HuxAlgorithmController, ProductInterfaceIsTheProductAndDestroysIt)
{
    bool destroyed = false;
    auto* probe = new ProbeController();
    probe->destroyed = &destroyed;
    IIVX9Controller* product =
        static_cast<IIHux::AlgorithmController*>(probe)->GetControllerInterface();
    ASSERT_EQ(product, static_cast<IIVX9Controller*>(probe));
    delete static_cast<IIKtInterface*>(product); // the root interface destroys it
    EXPECT_TRUE(destroyed);
}

} // namespace
