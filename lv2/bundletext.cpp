#include "bundletext.h"

#include <string_view>
#include <vector>

#include "host/product/controlscale.h"
#include "host/product/presets.h"
#include "host/runtime/values/parametervalue.h"

namespace {

constexpr const char* kPrefixes = R"(@prefix atom:   <http://lv2plug.in/ns/ext/atom#> .
@prefix bufsz:  <http://lv2plug.in/ns/ext/buf-size#> .
@prefix doap:   <http://usefulinc.com/ns/doap#> .
@prefix foaf:   <http://xmlns.com/foaf/0.1/> .
@prefix log:    <http://lv2plug.in/ns/ext/log#> .
@prefix lv2:    <http://lv2plug.in/ns/lv2core#> .
@prefix opts:   <http://lv2plug.in/ns/ext/options#> .
@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .
@prefix pset:   <http://lv2plug.in/ns/ext/presets#> .
@prefix rdf:    <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs:   <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state:  <http://lv2plug.in/ns/ext/state#> .
@prefix time:   <http://lv2plug.in/ns/ext/time#> .
@prefix ui:     <http://lv2plug.in/ns/extensions/ui#> .
@prefix units:  <http://lv2plug.in/ns/extensions/units#> .
@prefix urid:   <http://lv2plug.in/ns/ext/urid#> .

)";

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// A Turtle number that reads as a decimal, not an integer: "2.0", "0.005".
std::string number(double value)
{
    std::string text = FormatNumber(value);
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

std::string presetUri(const Preset& preset)
{
    return std::string(kPluginUri) + ":preset:" + preset.name;
}

// The presets' plug-ins: both.
std::string appliesTo()
{
    std::string text;
    for (const BundlePlugin& plugin : kBundlePlugins)
        text += (text.empty() ? "<" : " , <") + std::string(plugin.uri) + ">";
    return text;
}

// The unit a unit text names, if LV2 has one.
std::string unitOf(const std::string& units)
{
    if (units == "secs")
        return "units:s";
    if (units == "bpm")
        return "units:bpm";
    return {};
}

std::string range(double minimum, double maximum, double fallback)
{
    return "        lv2:default " + number(fallback) + " ;\n        lv2:minimum " +
           number(minimum) + " ;\n        lv2:maximum " + number(maximum) + " ;\n";
}

std::string parameterPort(const ParameterInfo& parameter, const PluginDescription& description)
{
    std::string text = range(parameter.minValue, parameter.maxValue, parameter.defaultValue);
    if (IsToggle(parameter))
        return text + "        lv2:portProperty lv2:toggled ;\n";
    if (parameter.kind == ParameterKind::list) {
        text += "        lv2:portProperty lv2:integer , lv2:enumeration ;\n";
        for (std::size_t i = 0; i < parameter.options.size(); ++i)
            text += std::string(i == 0 ? "        lv2:scalePoint " : " ,\n            ") +
                    "[ rdfs:label " + quoted(OptionForms(parameter.options[i]).front()) +
                    " ; rdf:value " + std::to_string(i) + " ]";
        return text + " ;\n";
    }
    if (LogarithmicScale(parameter))
        text += "        lv2:portProperty pprops:logarithmic ;\n";
    if (const std::string unit = unitOf(ShownUnits(description, parameter)); !unit.empty())
        text += "        units:unit " + unit + " ;\n";
    return text;
}

std::string portText(const BundlePort& port, std::size_t index,
                     const PluginDescription& description)
{
    const auto head = [&](const char* types) {
        return "    [\n        a " + std::string(types) + " ;\n        lv2:index " +
               std::to_string(index) + " ;\n        lv2:symbol " + quoted(port.symbol) +
               " ;\n        lv2:name " + quoted(port.name) + " ;\n";
    };
    switch (port.role) {
    case PortRole::audioIn: return head("lv2:AudioPort , lv2:InputPort");
    case PortRole::audioOut: return head("lv2:AudioPort , lv2:OutputPort");
    case PortRole::parameterIn:
        return head("lv2:ControlPort , lv2:InputPort") +
               parameterPort(description.parameters[port.source], description);
    case PortRole::enabled:
        return head("lv2:ControlPort , lv2:InputPort") + range(0.0, 1.0, 1.0) +
               "        lv2:designation lv2:enabled ;\n        lv2:portProperty lv2:toggled ;\n";
    case PortRole::tap:
        return head("lv2:ControlPort , lv2:InputPort") + range(0.0, 1.0, 0.0) +
               "        lv2:portProperty lv2:toggled , pprops:trigger ;\n";
    case PortRole::parameterOut:
        return head("lv2:ControlPort , lv2:OutputPort") +
               parameterPort(description.parameters[port.source], description);
    case PortRole::meter: return head("lv2:ControlPort , lv2:OutputPort") + range(0.0, 1.0, 0.0);
    case PortRole::transport:
        return head("atom:AtomPort , lv2:InputPort") +
               "        atom:bufferType atom:Sequence ;\n"
               "        atom:supports time:Position ;\n"
               "        lv2:designation lv2:control ;\n"
               "        lv2:portProperty lv2:connectionOptional ;\n";
    }
    return {};
}

// The plug-in's panel: an X11 window in the host's, driven by the host's
// idle calls; it shows the values the plug-in writes for display and the
// meters, so the host sends those.
std::string panelText(const PluginDescription& description, const BundlePlugin& plugin)
{
    std::string text = std::string("<") + plugin.ui +
                       ">\n    a ui:X11UI ;\n"
                       "    lv2:requiredFeature ui:idleInterface , ui:parent ;\n"
                       "    lv2:optionalFeature ui:resize , ui:touch , log:log ;\n"
                       "    lv2:extensionData ui:idleInterface , ui:resize ;\n"
                       "    ui:portNotification";
    const char* separator = "\n";
    for (const BundlePort& port : BundlePorts(description, plugin.channels)) {
        if (port.role != PortRole::parameterOut && port.role != PortRole::meter)
            continue;
        text += std::string(separator) + "        [ ui:plugin <" + plugin.uri + "> ; lv2:symbol " +
                quoted(port.symbol) + " ; ui:protocol ui:floatProtocol ]";
        separator = " ,\n";
    }
    return text + " .\n";
}

// A port block's text ends in " ;\n"; the last statement closes it.
std::string closed(std::string text)
{
    text.resize(text.size() - 3);
    return text + "\n    ]";
}

} // namespace

std::string ManifestText(const std::string& binaryFile, const std::string& panelBinaryFile)
{
    std::string text = kPrefixes;
    for (const BundlePlugin& plugin : kBundlePlugins)
        text += "<" + std::string(plugin.uri) + ">\n    a lv2:Plugin ;\n    lv2:binary <" +
                binaryFile + "> ;\n    rdfs:seeAlso <" + plugin.file + "> .\n\n<" + plugin.ui +
                ">\n    a ui:X11UI ;\n    ui:binary <" + panelBinaryFile +
                "> ;\n    rdfs:seeAlso <" + plugin.file + "> .\n\n";
    for (const Preset& preset : Presets())
        text += "<" + presetUri(preset) + ">\n    a pset:Preset ;\n    lv2:appliesTo " +
                appliesTo() + " ;\n    rdfs:seeAlso <" + kPresetsFile + "> .\n\n";
    text.pop_back();
    return text;
}

std::string PluginText(const PluginDescription& description, const BundlePlugin& plugin)
{
    const bool stereo = plugin.channels == 2;
    std::string text = std::string(kPrefixes) + "<" + plugin.uri + ">\n" +
                       "    a lv2:Plugin , lv2:DelayPlugin , doap:Project ;\n" + "    doap:name " +
                       quoted(description.name + (stereo ? " Stereo" : "")) +
                       " ;\n    doap:maintainer [ foaf:name " + quoted(description.developer) +
                       " ] ;\n" + "    rdfs:comment \"A " + (stereo ? "stereo" : "mono") +
                       " tape delay: a two-second tape loop" + (stereo ? " per channel" : "") +
                       " with glide, wow, flutter, saturation and hiss, in free time or in "
                       "step with a tempo.\" ;\n" +
                       "    lv2:optionalFeature lv2:hardRTCapable , urid:map , log:log , "
                       "opts:options ;\n" +
                       "    lv2:extensionData state:interface ;\n" + "    ui:ui <" + plugin.ui +
                       "> ;\n" + "    opts:supportedOption bufsz:maxBlockLength ;\n" +
                       "    lv2:port\n";
    const std::vector<BundlePort> ports = BundlePorts(description, plugin.channels);
    for (std::size_t i = 0; i < ports.size(); ++i)
        text +=
            closed(portText(ports[i], i, description)) + (i + 1 < ports.size() ? " ,\n" : " .\n");
    return text + "\n" + panelText(description, plugin);
}

std::string PresetsText(const PluginDescription& description)
{
    std::string text = kPrefixes;
    const std::vector<BundlePort> ports = BundlePorts(description);
    for (const Preset& preset : Presets()) {
        std::vector<double> values;
        for (const ParameterInfo& parameter : description.parameters)
            values.push_back(parameter.defaultValue);
        for (const auto& [index, value] : PresetValues(preset, description))
            values[index] = value;
        text += "<" + presetUri(preset) + ">\n    a pset:Preset ;\n    lv2:appliesTo " +
                appliesTo() + " ;\n    rdfs:label " + quoted(preset.label) +
                " ;\n    rdfs:comment " + quoted(preset.description) + " ;\n    lv2:port";
        const char* separator = "\n";
        for (const BundlePort& port : ports) {
            if (port.role != PortRole::parameterIn)
                continue;
            text += std::string(separator) + "        [ lv2:symbol " + quoted(port.symbol) +
                    " ; pset:value " + number(values[port.source]) + " ]";
            separator = " ,\n";
        }
        text += " .\n\n";
    }
    return text;
}
