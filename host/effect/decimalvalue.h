// A host's single-precision control value as the decimal number it shows.
#pragma once

// [any] no allocation, no throw. 0.3f gives 0.3, the value the same setting
// gives on the command line; the shortest decimal that reads back as the
// same float.
double DecimalValue(float value);
