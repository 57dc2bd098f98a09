// An instance of the built library as the host starts and runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "host/runtime/plugininstance.h"

namespace {

// The starting values go in as a user's clicks: what the plug-in sets in
// answer stands, and the session tempo is there from the start.
TEST(PluginInstance, StartingValuesAreTurnedInAsAUserSetsThem)
{
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    InstanceSettings settings;
    settings.maxBlockFrames = 64;
    settings.sessionTempo = 90.0;
    PluginInstance instance(library, settings);
    const StartingValue tempoLockOn{0, 1.0};
    instance.start({&tempoLockOn, 1});
    EXPECT_EQ(instance.value(1), 3.0);   // Tempo Lock chose the remembered 8th
    EXPECT_EQ(instance.value(11), 90.0); // "sBPM" from the session tempo
    std::vector<float> block(64, 0.25f);
    instance.process(block.data(), block.data(), 64);
    EXPECT_EQ(instance.value(12), static_cast<double>(static_cast<float>(60.0 / 90.0 / 2.0)));
    EXPECT_GT(instance.inputMeter(), 0.0f);
}

// The controller and the algorithm wired by hand on the host's blocks: over
// a block of audio the kernel changes its copies in exactly the value the
// host spares when a publish arrives.
TEST(HostFacts, TheKernelWritesOnlyTheValueTheHostKeepsForIt)
{
    constexpr std::uint32_t kFrames = 256;
    PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    HuxObject<IIHux::AlgorithmController> controller(library, "IIHux::AlgorithmController");
    HuxObject<IIHux::Algorithm> algorithm(library, "IIHux::Algorithm");
    HostCoeffBlockFactory blocks;
    const HuxSetup setup{0.0, 48000.0f};
    ASSERT_EQ(controller->Setup(setup, &blocks).code, 0);
    IIVX9Controller& ops = *controller->GetControllerInterface();
    ops.setTone(0);
    ops.setMode(1); // restarts the gate: the kernel glides its gain up from 0
    ops.setDelayTime(0.1);
    ops.setFeedback(5.0);
    ops.setBlend(5.0);
    ASSERT_EQ(blocks.preparePack(kFrames, 0.01), "");
    blocks.settle();
    ASSERT_EQ(algorithm->Setup(setup).code, 0);
    ASSERT_EQ(algorithm->Reset(blocks.handle()).code, 0);

    // Each plain block's values as they were before the block of audio.
    std::vector<std::pair<HostCoeffBlock*, std::vector<std::uint8_t>>> copies;
    for (const auto& block : blocks.blocks()) {
        std::size_t end = 0;
        for (const CoeffDeclaration& value : block->declarations())
            end = std::max<std::size_t>(end, value.offset + value.size);
        if (!block->smoothed())
            copies.push_back({block.get(), {block->data(), block->data() + end}});
    }
    std::vector<float> audio(kFrames, 0.5f);
    const float* in = audio.data();
    float* out = audio.data();
    float meters[2] = {};
    blocks.beginBlock(kFrames);
    const HuxProcessCallback callback = algorithm->GetProcessCallback();
    callback.function(callback.context, 0, kFrames, 0, &in, 0, &out, blocks.handle(), meters);

    std::vector<std::string> written;
    for (const auto& [block, before] : copies)
        for (const CoeffDeclaration& value : block->declarations())
            if (std::memcmp(block->data() + value.offset, before.data() + value.offset,
                            value.size) != 0)
                written.push_back(value.name);
    EXPECT_EQ(written, std::vector<std::string>{kKernelOwnedValue});
}

} // namespace
