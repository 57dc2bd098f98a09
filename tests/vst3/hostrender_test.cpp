// What the VST3 host adds to what every format's host does: the refusals
// of a module that does not load and of a rate the plug-in does not run at.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/pluginhostrun.h"

namespace {

constexpr double kRate = 48000.0;

struct Vst3Host : PluginHostRun {
    Vst3Host() : PluginHostRun(TAPEDELAY_VST3HOST, TAPEDELAY_VST3_BUNDLE)
    {
        WriteSamples(in, TestSignal(4800), kRate);
    }
    const std::string in = path("in.wav");
};

TEST_F(Vst3Host, AModuleThatDoesNotLoadOrARefusedRateIsOneLine)
{
    const std::string out = path("out.wav");
    writeText(out, "kept");
    const Outcome missing =
        Shell(std::string(TAPEDELAY_VST3HOST) + " " + path("") + " " + in + " " + out);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.output.rfind("vst3host: ", 0), 0u) << missing.output;
    EXPECT_NE(missing.output.find("cannot load the VST3 module"), std::string::npos)
        << missing.output;

    // The plug-in may say why itself.
    WriteSamples(path("low.wav"), std::vector<float>(800, 0.1f), 8000.0);
    const Outcome low = Shell(std::string(TAPEDELAY_VST3HOST) + " " + TAPEDELAY_VST3_BUNDLE + " " +
                              path("low.wav") + " " + out);
    EXPECT_EQ(low.status, 2);
    EXPECT_NE(low.output.find("vst3host: the plug-in does not run at 8000 Hz"), std::string::npos)
        << low.output;
    EXPECT_EQ(readText(out), "kept");
}

} // namespace
