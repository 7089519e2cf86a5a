// Value formatters of the editor readout, as pure functions of a float.
// The same texts go to the host through getParameterDisplay.
#pragma once

#include <string>

#include "dsp/rounding.h"

namespace vardelline {

// e^(0.6931472 x), x taken as float32, result rounded to float32.
float Pow2Readout(float x);

// Shortest decimal text with at most 15 significant digits, '.' separator.
std::string GeneralText(double x);

std::string FilterStr(float x);                                           // "640Hz", "20.5KHz"
std::string DelayStr(float v);                                            // "80 ms"
std::string FreqStr(float v, int offAllowed, float span, float divisor);  // "Off", "0.85Hz"
std::string FPer(float v);                                                // "12.3%"
std::string WetDryStr(float v);                                           // "L/R : 100%/79"
std::string WetDryStr2(float v);                                          // "D/C : 0%/100"

// A clamp to 0..1 that maps NaN to 0.
float limit(float x);

}  // namespace vardelline
