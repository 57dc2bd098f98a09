// The demo's dry phrase, synthesised: plucked notes over a kick and a snare
// at 120 BPM, four bars (8 s), the last one sparse so that the echoes are
// heard on their own. Mono, peaking at -6 dBFS, the same on every run.
#pragma once

#include <vector>

std::vector<float> DemoPhrase(double sampleRate);
