// Text files the command writes (a JSON report, an SVG plot): under a
// temporary name beside the target, renamed over it only once complete.
#pragma once

#include <string>
#include <vector>

// Writes text to path. Throws AudioFileError naming path when it cannot be
// written; an existing file then keeps what it held.
void WriteTextOutput(const std::string& path, const std::string& text);

// Throws UsageError when path (given to option) names one of the inputs,
// which it would overwrite.
void RefuseOverwritingInputs(const std::string& path, const std::string& option,
                             const std::vector<std::string>& inputs);
