// Parameters as a user names them and as a host shows them, whatever the
// format: a four-character ID ("fbak") or a title in any case
// ("feedback"), a plain number, and the line --show-values prints.
#pragma once

#include <cstdint>
#include <string>

// The ID as four characters when it is printable so, else as a number.
std::string ParameterIdText(std::uint32_t id);

// Whether `given` names the parameter: its ID's four characters exactly, or
// its title in any case.
bool NamesParameter(const std::string& given, std::uint32_t id, const std::string& title);

// The number in the fewest digits that read back as the same double
// ("6.2", "0.30000000000000004").
std::string ShortestText(double value);

// The text as a number when it is all one finite number.
bool PlainNumber(const std::string& text, double& value);

// "fbak Feedback = 7.0 (0.75)": the ID, title, value as the plug-in shows
// it, and the value the host holds, to the last digit.
std::string ValueLine(std::uint32_t id, const std::string& title, const std::string& shown,
                      double value);
