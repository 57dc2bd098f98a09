// Words a host lets its users type beyond those of the plug-in's own
// description: other names for parameters (a plug-in format's symbols) and
// other words for options. The host gives them; the runtime only reads them.
#pragma once

#include <string>
#include <vector>

struct ParameterAlias {
    std::string name; // "enabled"
    std::string code; // the parameter it names, "bypa"
    // A switch of the opposite sense: its on is the parameter's lowest value.
    bool inverted = false;
};

struct OptionWord {
    std::string code;   // the list parameter, "nval"
    std::string word;   // "eighth"
    std::string option; // one of the option's own forms, "8th"
};

struct ParameterWords {
    std::vector<ParameterAlias> aliases;
    std::vector<OptionWord> optionWords;
};
