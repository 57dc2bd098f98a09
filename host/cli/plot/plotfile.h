// Where the plot goes: an SVG file as drawn, or a PNG made from it by
// rsvg-convert (Debian's librsvg2-bin), chosen by the output's extension.
#pragma once

#include <optional>
#include <string>

#include "host/files/outputfile.h"

class PlotFile {
public:
    // Checks the target before any work: ".svg" (any case) writes the SVG,
    // ".png" a PNG when rsvg-convert is on the PATH; and claims the
    // temporary file beside it. Throws UsageError for any other name, or for
    // a PNG without the converter, saying what to install, and
    // OutputFileError when the target cannot be written.
    explicit PlotFile(std::string target);

    // Writes the picture into the temporary file and renames it into place;
    // once only. Throws OutputFileError naming the target when that fails,
    // or when the converter fails.
    void write(const std::string& svg);

private:
    std::string target;
    std::string converter; // its path; empty for an SVG
    std::optional<TemporaryOutput> claimed;
};
