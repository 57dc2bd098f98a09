#include "parameternames.h"

#include "parametercodes.h"

namespace {

bool symbolCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// "-" is no note value and a straight note; "Quarter", "Half", "Whole",
// "Dotted" and "Triplet" are the plug-in's own.
const std::vector<OptionWord>& optionWords()
{
    static const std::vector<OptionWord> words = {
        {kNoteValue, "none", "-"},
        {kNoteValue, "off", "-"},
        {kNoteValue, "thirty-second", "32nd"},
        {kNoteValue, "thirtysecond", "32nd"},
        {kNoteValue, "1/32", "32nd"},
        {kNoteValue, "sixteenth", "16th"},
        {kNoteValue, "1/16", "16th"},
        {kNoteValue, "eighth", "8th"},
        {kNoteValue, "1/8", "8th"},
        {kNoteValue, "1/4", "Quarter"},
        {kNoteValue, "1/2", "Half"},
        {kNoteValue, "1/1", "Whole"},
        {kDottedTriplet, "none", "-"},
        {kDottedTriplet, "off", "-"},
        {kDottedTriplet, "straight", "-"},
    };
    return words;
}

} // namespace

std::string PortSymbol(const std::string& identifier)
{
    std::string symbol;
    for (const char c : identifier)
        if (symbolCharacter(c))
            symbol += c;
    if (symbol.empty() || (symbol.front() >= '0' && symbol.front() <= '9'))
        symbol = "_" + symbol;
    return symbol;
}

std::string ParameterSymbol(const ParameterInfo& parameter)
{
    return parameter.hostBypass ? kEnabledSymbol : PortSymbol(parameter.code);
}

ParameterWords TapeDelayWords(const PluginDescription& description)
{
    ParameterWords words{{}, optionWords()};
    for (const ParameterInfo& parameter : description.parameters)
        words.aliases.push_back({ParameterSymbol(parameter), parameter.code, parameter.hostBypass});
    return words;
}
