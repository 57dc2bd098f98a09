// The plug-in's descriptor and its parameter and meter descriptions: the
// wrapper's only source for who the plug-in is and what it offers. Built from
// constants on every request, so repeated calls give identical bytes.
#include <string>
#include <vector>

#include "vx9.h"

namespace {

using Texts = std::vector<std::string>;
using namespace HuxKeys;

// 3599f73e-9ba6-43ea-bfa2-227fbd29e82b
constexpr KtUuid kPluginUuid{{0x35, 0x99, 0xf7, 0x3e, 0x9b, 0xa6, 0x43, 0xea, 0xbf, 0xa2, 0x22,
                              0x7f, 0xbd, 0x29, 0xe8, 0x2b}};
// 6936f3ab-45e0-4963-a9df-cf9b26d1553d
constexpr KtUuid kDeveloperUuid{{0x69, 0x36, 0xf3, 0xab, 0x45, 0xe0, 0x49, 0x63, 0xa9, 0xdf, 0xcf,
                                 0x9b, 0x26, 0xd1, 0x55, 0x3d}};

// Not part of the registered vocabulary.
constexpr MissiveKey kName{"name"};

// A one-element list holding the format record: mono in, mono out.
std::vector<Missive> monoFormat(std::uint32_t formatId)
{
    Missive record;
    record.put(kFormatId, formatId);
    record.put(kIn, "mono");
    record.put(kOut, "mono");
    return {record};
}

Missive listParameter(const Texts& labels, const Texts& options)
{
    Missive record;
    record.put(kLabels, labels);
    record.put(kType, c_hux::parameterType::list);
    record.put(kOptions, options);
    return record;
}

Missive numericParameter(const Texts& labels, double minValue, double maxValue, double defaultValue)
{
    Missive record;
    record.put(kLabels, labels);
    record.put(kType, c_hux::parameterType::continuous);
    record.put(kMinValue, minValue);
    record.put(kMaxValue, maxValue);
    record.put(kDefaultValue, defaultValue);
    return record;
}

// A display value the plug-in writes itself: neither automated nor saved.
Missive displayParameter(const Texts& labels, double minValue, double maxValue, double defaultValue)
{
    Missive record = numericParameter(labels, minValue, maxValue, defaultValue);
    record.put(kAutomate, false);
    record.put(kFilterOnSave, true);
    return record;
}

Missive meter(const char* label, c_hux::meterType type)
{
    Missive record;
    record.put(kLabel, label);
    record.put(kMeterType, type);
    return record;
}

} // namespace

Missive VX9::describePlugin()
{
    Missive developerRecord;
    developerRecord.put(kName, "Orlund Plugins");
    developerRecord.put(kHuxId, kDeveloperUuid);

    Missive descriptor;
    descriptor.put(kDeveloper, "Orlund Plugins Inc.");
    descriptor.put(kDeveloperId, HuxFourCC("Soln"));
    descriptor.put(kProductId, HuxFourCC("vxX3"));
    descriptor.put(kHuxCollection, developerRecord);
    descriptor.put(kPluginName, Texts{"Orlund VX9", "OlnVX9", "VX9"});
    descriptor.put(kHuxId, kPluginUuid);
    descriptor.put(kCategory, "delay");
    descriptor.put(kAaxUti, "com.orlundplugins.vx9");
    descriptor.put(kPageTable, "TapeDelay.xml");
    descriptor.put(kNative, monoFormat(HuxFourCC("vxR1")));
    descriptor.put(kDSP, monoFormat(HuxFourCC("vxM1")));
    descriptor.put(kAudioSuite, monoFormat(HuxFourCC("vxA1")));
    descriptor.put(kNeedsSessionTempo, true);
    descriptor.put(kEnableBypass, true);
    return descriptor;
}

void VX9::describeParameters(ParameterAndMeterSink& sink, std::uint32_t& channelCount)
{
    Missive& parameters = sink.parameters;
    parameters.put("tlok",
                   listParameter({"Session Tempo Lock", "Tempo Lock", "TLok"}, {"off", "on"}));
    parameters.put("nval", listParameter({"Note Value", "Note", "NtV"},
                                         {"-", "32nd", "16th", "8th", "Quarter,Qtr", "Half,Hlf",
                                          "Whole,Whl"}));
    Missive delayTime = numericParameter({"Delay Time", "Delay", "DlyT", "Dly"}, 0.005, 2.0, 0.5);
    delayTime.put(kUnits, "secs");
    delayTime.put(kUseMetricPrefixes, true);
    parameters.put("time", delayTime);
    Missive tempo = numericParameter({"BPM"}, 5.0, 500.0, 120.0);
    tempo.put(kUnits, "bpm");
    parameters.put(".bpm", tempo);
    parameters.put("fbak", numericParameter({"Feedback", "Feedbk", "Fdbk", "Fbk"}, 1.0, 9.0, 1.0));
    parameters.put("inpt", numericParameter({"Input", "In"}, 1.0, 9.0, 5.0));
    parameters.put("oput", numericParameter({"Output", "Out"}, 1.0, 9.0, 4.5));
    parameters.put("blnd", numericParameter({"Blend", "Blnd", "Bln"}, 1.0, 9.0, 5.0));
    parameters.put("tone", listParameter({"Tone"}, {"Normal", "Dark", "Bright"}));
    Missive mode = listParameter({"Mode"}, {"Vintage", "Retro", "Modern"});
    mode.put(kDefaultOption, "Retro");
    parameters.put("mode", mode);
    parameters.put("dot3", listParameter({"Dotted/Triplet", "Dot/Trp", "./3"},
                                         {"-", "Dotted,Dot,.", "Triplet,Trp,3"}));
    parameters.put("sBPM", displayParameter({"Session BPM"}, 5.0, 500.0, 120.0));
    parameters.put("uiDT", displayParameter({"BPM Delay Time"}, 0.005, 2.0, 0.5));

    // Every format is mono in, mono out.
    if (channelCount != 1)
        KtFail("throw", kVX9Source, kVX9TooManyChannelsLine, "too many channels");

    sink.meters.put(std::uint32_t{0}, meter("In", c_hux::meterType::input));
    sink.meters.put(std::uint32_t{1}, meter("Out", c_hux::meterType::output));
}
