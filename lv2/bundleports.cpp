#include "bundleports.h"

#include <set>
#include <stdexcept>

#include "host/product/parametercodes.h"
#include "host/product/parameternames.h"

namespace {

std::string lowerCase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

std::vector<BundlePort> BundlePorts(const PluginDescription& description, std::uint32_t channels)
{
    std::vector<BundlePort> ports;
    for (const PortRole role : {PortRole::audioIn, PortRole::audioOut}) {
        const std::string symbol = role == PortRole::audioIn ? "in" : "out";
        const std::string name = role == PortRole::audioIn ? "In" : "Out";
        if (channels == 1)
            ports.push_back({role, symbol, name, 0});
        else
            for (std::uint32_t c = 0; c < channels; ++c)
                ports.push_back(
                    {role, symbol + (c == 0 ? "_l" : "_r"), name + (c == 0 ? " L" : " R"), c});
    }
    const std::vector<ParameterInfo>& parameters = description.parameters;
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (parameters[i].automate && !parameters[i].hostBypass)
            ports.push_back(
                {PortRole::parameterIn, ParameterSymbol(parameters[i]), parameters[i].name(), i});
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (parameters[i].hostBypass)
            ports.push_back({PortRole::enabled, ParameterSymbol(parameters[i]), "Enabled", i});
    if (description.find(kTempo))
        ports.push_back({PortRole::tap, "tap", "Tap"});
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (!parameters[i].automate)
            ports.push_back(
                {PortRole::parameterOut, ParameterSymbol(parameters[i]), parameters[i].name(), i});
    for (const MeterInfo& meter : description.meters)
        ports.push_back({PortRole::meter, PortSymbol(lowerCase(meter.label) + "_peak"),
                         meter.label + " Peak", meter.position});
    ports.push_back({PortRole::transport, "control", "Transport"});

    std::set<std::string> symbols;
    for (const BundlePort& port : ports)
        if (!symbols.insert(port.symbol).second)
            throw std::invalid_argument("two ports would share the symbol \"" + port.symbol + "\"");
    return ports;
}
