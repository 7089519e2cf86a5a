// The built-in demo signal rendered when no input file is given: about six
// seconds of clicks, logarithmic sine sweeps and noise bursts at each band's
// region, so every part of the effect has something to work on.
#pragma once

#include "tools/host/audio_source.h"

namespace vardelline::host {

constexpr double kDemoSampleRate = 44100.0;
constexpr double kDemoSeconds = 6.0;

// Deterministic: the same samples on every call and every platform.
StereoBuffer makeDemoSignal(double sampleRate = kDemoSampleRate);

}  // namespace vardelline::host
