// Fitting text into the plot without font files: a width estimate that
// errs on the wide side, and line breaking at spaces.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The width in pixels of text at fontSize in the picture's sans-serif font,
// never less than the widest of the common ones (DejaVu Sans, and Liberation
// Sans for Arial) draws it. A character beyond ASCII counts a full em.
double TextWidth(std::string_view text, double fontSize, bool bold);

// text in lines no wider than width, broken at spaces (runs of spaces
// become one); a word wider than width on its own is broken between
// characters. At least one line, empty for empty text.
std::vector<std::string> WrapText(std::string_view text, double fontSize, bool bold, double width);
