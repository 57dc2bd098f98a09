// Text files (a JSON report, an SVG plot), written as safely as any output:
// under a temporary name beside the target, renamed over it only once
// complete.
#pragma once

#include <string>

// Writes text to path. Throws OutputFileError naming path when it cannot be
// written; an existing file then keeps what it held.
void WriteTextFile(const std::string& path, const std::string& text);
