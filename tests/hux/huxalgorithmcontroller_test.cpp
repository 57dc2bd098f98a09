#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "hux/public/plugin/hux.h"
#include "idlecontroller.h"
#include "tapedelay/source/vx9algorithmcontroller.h"

namespace {

struct ProbeController final : HuxAlgorithmController<IdleController> {
    bool failSetup = false;
    int setups = 0;
    float rateSeenBySetup = 0.0f;
    std::uint32_t mode = 99;
    bool* destroyed = nullptr;

    ~ProbeController() override
    {
        if (destroyed != nullptr)
            *destroyed = true;
    }

    std::intptr_t QueryWord() override { return 0; }
    void SetupController(const HuxSetup& setup) override
    {
        ++setups;
        rateSeenBySetup = GetSampleRate();
        if (failSetup || setup.sampleRate > 204000.0f)
            throw std::runtime_error("unrecognized sample rate");
    }

    CoeffBlockFactory* factory() const { return coeffFactory; }
    double leading() const { return setupLeading; }

    void setMode(std::uint32_t value) override { mode = value; }
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
    EXPECT_EQ(probe.setups, 1);
    EXPECT_EQ(probe.rateSeenBySetup, 96000.0f);
    EXPECT_EQ(probe.GetSampleRate(), 96000.0f);
    EXPECT_EQ(probe.leading(), 3.25);
    EXPECT_EQ(probe.factory(), &factory);
    EXPECT_EQ(controller.Reset().code, 0);
}

TEST(HuxAlgorithmController, ProductSetupFailurePassesThroughAfterStoring)
{
    ProbeController probe;
    NullFactory factory;
    IIHux::AlgorithmController& controller = probe;
    EXPECT_THROW(controller.Setup(HuxSetup{0.0, 250000.0f}, &factory), std::runtime_error);
    EXPECT_EQ(probe.GetSampleRate(), 250000.0f);
    EXPECT_EQ(probe.factory(), &factory);
}

TEST(HuxAlgorithmController, ProductInterfaceReachesTheProduct)
{
    ProbeController probe;
    IIHux::AlgorithmController& controller = probe;
    IIVX9Controller* product = controller.GetControllerInterface();
    ASSERT_NE(product, nullptr);
    EXPECT_EQ(product, static_cast<IIVX9Controller*>(&probe));
    product->setMode(2);
    EXPECT_EQ(probe.mode, 2u);
}

TEST(HuxAlgorithmController, DestroyedThroughTheRootInterface)
{
    bool destroyed = false;
    auto* probe = new ProbeController();
    probe->destroyed = &destroyed;
    IIKtInterface* root = probe->GetControllerInterface();
    delete root;
    EXPECT_TRUE(destroyed);
}

TEST(VX9AlgorithmController, AnswersZeroToTheQueryWord)
{
    VX9AlgorithmController product;
    EXPECT_EQ(static_cast<IIHux::AlgorithmController&>(product).QueryWord(), 0);
}

} // namespace
