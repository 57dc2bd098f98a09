// The controls as a VST3 host sees them: the normalised mapping gives every
// value a user can set back exactly, texts go in and out as on the command
// line (in any script), and the controller lists the parameters, the Tap button, the meters
// and the presets with the right flags.
#include <gtest/gtest.h>

#include <string>

#include "host/product/parametercodes.h"
#include "host/product/presets.h"
#include "tests/support/vst3rig.h"
#include "vst3/text16.h"

namespace {

using Steinberg::Vst::ParameterInfo;

class Vst3Parameters : public ::testing::Test {
protected:
    Vst3Rig rig;
    const PluginDescription& description = rig.product->description;

    std::size_t index(const char* code) const { return *description.find(code); }
    const ParameterScale& scale(const char* code) const { return rig.product->scales[index(code)]; }
    Steinberg::Vst::ParamID id(const char* code) const { return FourCharacterCode(code); }

    // Through the normalised value, and through it as a single-precision
    // host keeps it; NaN when the two differ.
    double plainRoundTrip(const char* code, double plain) const
    {
        const double normalised = scale(code).toNormalised(plain);
        const double back = scale(code).toPlain(normalised);
        return scale(code).toPlain(static_cast<float>(normalised)) == back ? back : std::nan("");
    }

    std::string text(const char* code, double plain)
    {
        Steinberg::Vst::String128 shown{};
        rig.controller->getParamStringByValue(id(code), scale(code).toNormalised(plain), shown);
        return Utf8Text(shown);
    }

    // The plain value a typed text gives, or NaN when it is refused.
    double typed(const char* code, const char* input)
    {
        Steinberg::Vst::String128 text16{};
        CopyText(input, text16);
        Steinberg::Vst::ParamValue normalised = 0.0;
        if (rig.controller->getParamValueByString(id(code), text16, normalised) !=
            Steinberg::kResultOk)
            return std::nan("");
        return scale(code).toPlain(normalised);
    }

    ParameterInfo info(Steinberg::Vst::ParamID parameter)
    {
        ParameterInfo found{};
        EXPECT_EQ(rig.controller->getParameterInfoByTag(parameter, found), Steinberg::kResultOk);
        return found;
    }
};

TEST_F(Vst3Parameters, NormalisedValuesGiveTheSetValuesBackExactly)
{
    for (const double seconds : {0.3, 0.005, 2.0, 0.11, 1.2, 0.5})
        EXPECT_EQ(plainRoundTrip(kDelayTime, seconds), seconds);
    for (const char* dial : {kFeedback, kInput, kOutput, kBlend})
        for (const double value : {1.0, 1.5, 4.5, 5.0, 7.5, 9.0})
            EXPECT_EQ(plainRoundTrip(dial, value), value) << dial;
    for (const double bpm : {5.0, 96.0, 120.0, 500.0})
        EXPECT_EQ(plainRoundTrip(kTempo, bpm), bpm);
    for (const ::ParameterInfo& parameter : description.parameters)
        for (std::size_t option = 0; option < parameter.options.size(); ++option)
            EXPECT_EQ(plainRoundTrip(parameter.code.c_str(), static_cast<double>(option)),
                      static_cast<double>(option))
                << parameter.code;
    // Single precision decides: a value between two floats takes the decimal
    // its float shows, as --set does.
    EXPECT_EQ(plainRoundTrip(kDelayTime, 0.3000000001), 0.3);

    EXPECT_NEAR(scale(kDelayTime).toPlain(0.5), 0.1, 1e-7); // 5 ms and 2 s: geometric middle
    EXPECT_EQ(scale(kFeedback).toPlain(0.5), 5.0);
    EXPECT_EQ(scale(kTone).toPlain(0.5), 1.0);
    EXPECT_EQ(scale(kHostBypassCode).stepCount(), 1);
    EXPECT_EQ(scale(kFeedback).toPlain(1.7), 9.0);
    EXPECT_EQ(scale(kFeedback).toPlain(std::nan("")), 1.0);
}

TEST_F(Vst3Parameters, TextsInAndOutAreTheCommandLines)
{
    EXPECT_EQ(typed(kDelayTime, "300ms"), 0.3);
    EXPECT_EQ(typed(kNoteValue, "8th"), 3.0);
    EXPECT_EQ(typed(kNoteValue, "eighth"), 3.0);
    EXPECT_EQ(typed(kDottedTriplet, "dotted"), 1.0);
    EXPECT_EQ(typed(kMode, "modern"), 2.0);
    EXPECT_EQ(typed(kTempoLock, "on"), 1.0);
    for (const auto& [code, refused] :
         {std::pair{kFeedback, "12"}, {kFeedback, "3ms"}, {kNoteValue, "x"}})
        EXPECT_TRUE(std::isnan(typed(code, refused))) << refused;

    EXPECT_EQ(text(kDelayTime, 0.3), "0.3");
    EXPECT_EQ(text(kNoteValue, 4.0), "Quarter");
    EXPECT_EQ(text(kDottedTriplet, 2.0), "Triplet");
    EXPECT_EQ(text(kFeedback, 4.5), "4.5");
    EXPECT_EQ(text(kTempo, 120.0), "120");
    EXPECT_EQ(typed(kTempo, "120bpm"), 120.0);
    // The Tap button's text is the SDK's; any number it holds reads within 0 to 1.
    Steinberg::Vst::TChar four[2] = {u'4', 0};
    Steinberg::Vst::ParamValue pressed = -1.0;
    EXPECT_EQ(rig.controller->getParamValueByString(kTapParameter, four, pressed),
              Steinberg::kResultOk);
    EXPECT_EQ(pressed, 1.0);

    Steinberg::Vst::TChar small[3]{};
    CopyText("Quarter", small);
    EXPECT_EQ(Utf8Text(small), "Qu");
    // An e acute, a note and a stray byte: the note does not fit.
    CopyText("\xc3\xa9\xf0\x9f\x8e\xb5\xff", small);
    EXPECT_EQ(Utf8Text(small), "\xc3\xa9");
    Steinberg::Vst::String128 wide{};
    CopyText("\xc3\xa9\xf0\x9f\x8e\xb5\xff", wide);
    EXPECT_EQ(Utf8Text(wide), "\xc3\xa9\xf0\x9f\x8e\xb5\xef\xbf\xbd");
}

TEST_F(Vst3Parameters, TheControllerListsEveryControlWithItsFlags)
{
    const std::size_t presets = Presets().size();
    ASSERT_EQ(rig.controller->getParameterCount(),
              static_cast<Steinberg::int32>(description.parameters.size() + 4));
    for (std::size_t i = 0; i < description.parameters.size(); ++i) {
        ParameterInfo found{};
        rig.controller->getParameterInfo(static_cast<Steinberg::int32>(i), found);
        EXPECT_EQ(found.id, description.parameters[i].identifier);
        EXPECT_EQ(Utf8Text(found.title), description.parameters[i].name());
    }
    const ParameterInfo time = info(id(kDelayTime));
    EXPECT_EQ(Utf8Text(time.units), "secs");
    EXPECT_EQ(time.flags, ParameterInfo::kCanAutomate);
    EXPECT_EQ(time.stepCount, 0);
    EXPECT_EQ(time.defaultNormalizedValue, scale(kDelayTime).toNormalised(0.5));
    EXPECT_EQ(info(id(kMode)).flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsList);
    EXPECT_EQ(info(id(kMode)).stepCount, 2);
    EXPECT_EQ(info(id(kHostBypassCode)).flags,
              ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass);
    EXPECT_EQ(info(id(kShownSessionTempo)).flags, ParameterInfo::kIsReadOnly);
    EXPECT_EQ(Utf8Text(info(id(kShownTempoDelay)).units), "secs");
    EXPECT_EQ(info(kMeterParameters[1]).flags, ParameterInfo::kIsReadOnly);
    EXPECT_EQ(info(kTapParameter).flags, ParameterInfo::kCanAutomate);
    EXPECT_EQ(info(kTapParameter).stepCount, 1);
    EXPECT_NE(info(kProgramParameter).flags & ParameterInfo::kIsProgramChange, 0);
    EXPECT_EQ(info(kProgramParameter).stepCount, static_cast<Steinberg::int32>(presets - 1));

    Steinberg::Vst::ProgramListInfo list{};
    ASSERT_EQ(rig.controller->getProgramListInfo(0, list), Steinberg::kResultOk);
    ASSERT_EQ(list.programCount, static_cast<Steinberg::int32>(presets));
    for (std::size_t p = 0; p < presets; ++p) {
        Steinberg::Vst::String128 name{};
        rig.controller->getProgramName(list.id, static_cast<Steinberg::int32>(p), name);
        EXPECT_EQ(Utf8Text(name), Presets()[p].label);
    }
    Steinberg::Vst::UnitInfo unit{};
    ASSERT_EQ(rig.controller->getUnitInfo(0, unit), Steinberg::kResultOk);
    EXPECT_EQ(unit.programListId, list.id);
}

} // namespace
