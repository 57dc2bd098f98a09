// Windowed-sinc fractional-delay rows for the tape head's interpolation table
// and the oversampler's filters.
#pragma once

// Fills row[0 .. taps-1] with a Blackman-windowed sinc of the given cutoff
// (fraction of the Nyquist frequency), centred taps/2 - 1 + offset taps from
// the start, normalised to sum to 1.
void DesignSincRow(float* row, double offset, int taps, float cutoff);
void DesignSincRow(double* row, double offset, int taps, float cutoff);
