// The panel's font, read whole before any window is made: a missing file or
// one that is no TrueType font is refused with a clear error, so that the
// rasteriser never reads past a broken one.
#pragma once

#include <string>
#include <vector>

// [ui] allocates; throws std::runtime_error naming the path and what is
// wrong with it.
std::vector<unsigned char> ReadFontFile(const std::string& path);
