// The frequency responses of the plug-in's eight band-pass filters, worked
// out from the same design the plug-in uses (second-order band-passes on a
// logarithmic row of centre frequencies, with a common relative width), for
// pictures of what a setting does.
#pragma once

#include <array>
#include <complex>

namespace vardelline::host {

struct BandFilter {
    double centreHz = 0.0;
    // y[n] = b0 x[n] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]
    double b0 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

constexpr int kBandCount = 8;

// The bands for the normalised start and finish frequencies and width
// (parameters 0, 1 and 2) at a sample rate.
std::array<BandFilter, kBandCount> designBands(float start, float finish, float width, double sampleRate);

// The filter's response at a frequency.
std::complex<double> bandResponse(const BandFilter& band, double hz, double sampleRate);

}  // namespace vardelline::host
