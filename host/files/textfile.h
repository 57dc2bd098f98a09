// Text files (a JSON report, an SVG plot), written as safely as any output:
// under a temporary name beside the target, renamed over it only once
// complete.
#pragma once

#include <string>

#include "outputfile.h"

// A text output claimed before the work that fills it, so that a target that
// cannot be written stops a run before anything else is touched. Destroyed
// unwritten, it leaves the target as it was.
class TextFileOutput {
public:
    // Throws OutputFileError naming path when it cannot be written.
    explicit TextFileOutput(const std::string& path);

    // Writes text and renames it over the target; once only. Throws
    // OutputFileError, the target then keeping what it held.
    void write(const std::string& text);

private:
    TemporaryOutput temporary;
};

// Writes text to path at once (see TextFileOutput).
void WriteTextFile(const std::string& path, const std::string& text);
