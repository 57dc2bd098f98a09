// The plug-in's descriptor and its parameter and meter descriptions, read back
// through the message reader record by record, in written order.
#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

#include "missive/source/serialization/keyregistry.h"
#include "missive/source/serialization/missivewalk.h"
#include "tapedelay/source/vx9.h"
#include "tests/support/missivetest.h"

namespace {

// Numbers in their shortest exact form, lists in brackets joined by '|',
// enumerations as <type name>value, records in braces.
std::string render(MissiveSpan message)
{
    static constexpr MissiveTextStyle kStyle{
        "|", ", ", "=", true, true, [](double value) {
            char text[32];
            return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
        }};
    return MissiveRecordsText(message, kStyle);
}

// Every registered key in the message, nested ones included, carries a value
// of the kind its declared code names.
void expectRegisteredTypes(MissiveSpan message)
{
    for (const MissiveRecordView& record : MissiveRecordsInOrder(message)) {
        const MissiveCursor& cursor = record.cursor;
        if (cursor.valueType == KtType::kMissive)
            for (const MissiveSpan& nested : readMissives(cursor))
                expectRegisteredTypes(nested);
        const std::string key = MissiveKeyText(record);
        const auto declared = keyRegistry().find(key);
        if (declared == keyRegistry().end())
            continue;
        SCOPED_TRACE(key);
        // A list's record carries its count before the data.
        const bool list = cursor.dataStart != cursor.recordStart;
        EXPECT_EQ(list, declared->second.typeId == KtType::kPod);
        if (list)
            EXPECT_TRUE(cursor.valueType == KtType::kStr || cursor.valueType == KtType::kMissive);
        else
            EXPECT_EQ(cursor.valueType, declared->second.typeId);
    }
}

struct KeptSink final : MessageSink {
    std::vector<Missive> messages;
    void exchange(const Missive& message) override { messages.push_back(message); }
};

std::string monoFormat(const std::string& code)
{
    return "[{formatId='" + code + "', in=mono, out=mono}]";
}

TEST(VX9Describe, Descriptor)
{
    VX9 plugin;
    const Missive descriptor = plugin.describePlugin();
    EXPECT_EQ(render(descriptor.span()),
              "{developer=Orlund Plugins Inc., developerId='Soln', productId='vxX3'"
              ", huxCollection={name=Orlund Plugins, "
              "huxId=6936f3ab-45e0-4963-a9df-cf9b26d1553d}"
              ", pluginName=[Orlund VX9|OlnVX9|VX9]"
              ", huxId=3599f73e-9ba6-43ea-bfa2-227fbd29e82b, category=delay"
              ", aaxUti=com.orlundplugins.vx9, pageTable=TapeDelay.xml, native=" +
                  monoFormat("vxR1") + ", DSP=" + monoFormat("vxM1") + ", AudioSuite=" +
                  monoFormat("vxA1") + ", needsSessionTempo=true, enableBypass=true}");
    expectRegisteredTypes(descriptor.span());
    EXPECT_EQ(bytesOf(descriptor), bytesOf(plugin.describePlugin()));
}

TEST(VX9Describe, ParametersAndMetersThroughTheExchange)
{
    VX9 plugin;
    IIHux::Plugin& api = plugin;
    KeptSink sink;
    std::uint32_t channels = 1;
    api.exchangeParameters(sink, channels);
    api.exchangeParameters(sink, channels);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(bytesOf(sink.messages[0]), bytesOf(sink.messages[1]));

    const std::vector<MissiveRecordView> top = MissiveRecordsInOrder(sink.messages[0].span());
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(MissiveKeyText(top[0]), "parameters");
    EXPECT_EQ(MissiveKeyText(top[1]), "meters");
    const MissiveSpan parameters = readMissives(top[0].cursor).at(0);
    const MissiveSpan meters = readMissives(top[1].cursor).at(0);

    EXPECT_EQ(render(parameters),
              "{tlok={labels=[Session Tempo Lock|Tempo Lock|TLok], type=<>5, options=[off|on]}"
              ", nval={labels=[Note Value|Note|NtV], type=<>5, "
              "options=[-|32nd|16th|8th|Quarter,Qtr|Half,Hlf|Whole,Whl]}"
              ", time={labels=[Delay Time|Delay|DlyT|Dly], type=<>1, minValue=0.005, "
              "maxValue=2, defaultValue=0.5, units=secs, useMetricPrefixes=true}"
              ", .bpm={labels=[BPM], type=<>1, minValue=5, maxValue=500, defaultValue=120, "
              "units=bpm}"
              ", fbak={labels=[Feedback|Feedbk|Fdbk|Fbk], type=<>1, minValue=1, maxValue=9, "
              "defaultValue=1}"
              ", inpt={labels=[Input|In], type=<>1, minValue=1, maxValue=9, defaultValue=5}"
              ", oput={labels=[Output|Out], type=<>1, minValue=1, maxValue=9, defaultValue=4.5}"
              ", blnd={labels=[Blend|Blnd|Bln], type=<>1, minValue=1, maxValue=9, "
              "defaultValue=5}"
              ", tone={labels=[Tone], type=<>5, options=[Normal|Dark|Bright]}"
              ", mode={labels=[Mode], type=<>5, options=[Vintage|Retro|Modern], "
              "defaultOption=Retro}"
              ", dot3={labels=[Dotted/Triplet|Dot/Trp|./3], type=<>5, "
              "options=[-|Dotted,Dot,.|Triplet,Trp,3]}"
              ", sBPM={labels=[Session BPM], type=<>1, minValue=5, maxValue=500, "
              "defaultValue=120, automate=false, filterOnSave=true}"
              ", uiDT={labels=[BPM Delay Time], type=<>1, minValue=0.005, maxValue=2, "
              "defaultValue=0.5, automate=false, filterOnSave=true}}");
    EXPECT_EQ(render(meters), "{#0={label=In, meterType=<>0}, #1={label=Out, meterType=<>1}}");
    expectRegisteredTypes(sink.messages[0].span());
}

TEST(VX9Describe, OnlyOneChannel)
{
    for (std::uint32_t channels : {0u, 2u}) {
        VX9 plugin;
        KeptSink wrapper;
        // The failure report names the reason; the exception carries the same text.
        testing::internal::CaptureStdout();
        EXPECT_THROW(static_cast<IIHux::Plugin&>(plugin).exchangeParameters(wrapper, channels),
                     KtException);
        EXPECT_NE(testing::internal::GetCapturedStdout().find("too many channels"),
                  std::string::npos);
        EXPECT_TRUE(wrapper.messages.empty());
    }
}

} // namespace
